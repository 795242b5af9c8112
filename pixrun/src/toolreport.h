#pragma once
// For the pixrun tool only (not installed): what the exports' bool results leave out.
// Every export records, for the calling thread, why it failed or what it found wrong
// in a stream that it still decoded.

#include "pixrun.h"

#ifdef __cplusplus
extern "C" {
#endif

enum PixrunProblem {
    PIXRUN_OK = 0,
    PIXRUN_SOURCE_MISSING = 1,         /* no such source file */
    PIXRUN_SOURCE_UNREADABLE = 2,      /* the file, image or stream cannot be read */
    PIXRUN_DESTINATION_UNWRITABLE = 3, /* the result cannot be written */
    PIXRUN_STREAM_DAMAGED = 4,         /* decoded, but truncated or damaged */
    PIXRUN_UNKNOWN_FORMAT = 5          /* no image format of that name or extension */
};

typedef struct PixrunReport {
    int problem;      /* a PixrunProblem */
    char reason[512]; /* what the reader, decoder or writer said; empty when fine */
} PixrunReport;

/* The report of the calling thread's last export call. */
PIXRUN_API const PixrunReport* PixrunLastReport(void);

/* Writes a description of a stream (header, planes, sizes, symbol counts) as lines of
 * text into `text` (at most `capacity` bytes including the terminating zero). False
 * when the stream's header or code table cannot be read. */
PIXRUN_API bool PixrunDescribeStream(const unsigned char* data, unsigned int count, char* text,
                                     int capacity);

#ifdef __cplusplus
}
#endif
