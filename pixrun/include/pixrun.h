/* pixrun: bi-level run-length image stream codec with image file input and output.
 *
 * Images (BMP, JPEG, JPEG XR, PNG, TIFF) are turned into a Huffman-coded run-length
 * stream of one (grey source) or two (colour source: black and red) bit planes, and
 * streams are turned back into image files. Every function returns true on success.
 * Buffers handed out through outBuffer are malloc blocks owned by the caller, who
 * releases them with FreeBuffer. Paths are UTF-8. All functions may be called from
 * several threads at once.
 */
#ifndef PIXRUN_H
#define PIXRUN_H

#include <stdbool.h>

#if defined(_WIN32)
#  if defined(PIXRUN_BUILDING)
#    define PIXRUN_API __declspec(dllexport)
#  else
#    define PIXRUN_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define PIXRUN_API __attribute__((visibility("default")))
#else
#  define PIXRUN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Reads the image file srcPath and writes its stream to dstPath. False when the image
 * cannot be read or the stream cannot be written completely. */
PIXRUN_API bool RleEncode(const char* srcPath, const char* dstPath);

/* Reads an image file held in memory and returns its stream in a new buffer. */
PIXRUN_API bool RleEncodeFromData(const unsigned char* data, int size,
                                  unsigned char** outBuffer, int* outSize);

/* Decodes the stream file srcPath and writes the image to dstPath in the format its
 * extension names (bmp, jpg/jpeg, wdp/hdp/jxr, png, tif/tiff; any case). */
PIXRUN_API bool RleDecode(const char* srcPath, const char* dstPath);

/* Decodes count stream bytes and returns an image file of the named format (names as
 * for RleDecode's extensions, any case) in a new buffer. */
PIXRUN_API bool RleDecodeToData(const char* format, const unsigned char* data,
                                unsigned int count, unsigned char** outBuffer, int* outSize);

/* Releases a buffer returned by the two memory variants; NULL is ignored. */
PIXRUN_API bool FreeBuffer(void* buffer);

#ifdef __cplusplus
}
#endif

#endif /* PIXRUN_H */
