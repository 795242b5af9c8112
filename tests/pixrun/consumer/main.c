/* Converts a 2 x 2 grey BMP to a stream and back to PNG through the installed library,
   and the stream to JPEG XR and back, which needs the installed decoding helper. */
#include <pixrun.h>

#include <stdio.h>
#include <string.h>

int main(void)
{
    unsigned char bmp[14 + 40 + 1024 + 8];
    unsigned char* stream = NULL;
    unsigned char* png = NULL;
    unsigned char* jxr = NULL;
    unsigned char* again = NULL;
    int streamSize = 0, pngSize = 0, jxrSize = 0, againSize = 0, i;
    memset(bmp, 0, sizeof bmp);
    bmp[0] = 'B'; bmp[1] = 'M';
    bmp[10] = 0x36; bmp[11] = 0x04;      /* pixels at 1078 */
    bmp[14] = 40; bmp[18] = 2; bmp[22] = 2; bmp[26] = 1; bmp[28] = 8;
    for (i = 0; i < 256; ++i)
        memset(bmp + 54 + i * 4, i, 3);
    bmp[1078] = 255; bmp[1083] = 255;
    if (!RleEncodeFromData(bmp, (int)sizeof bmp, &stream, &streamSize) || streamSize < 20)
        return 1;
    if (!RleDecodeToData("png", stream, (unsigned)streamSize, &png, &pngSize) || pngSize < 8
        || memcmp(png + 1, "PNG", 3) != 0)
        return 2;
    if (!RleDecodeToData("JXR", stream, (unsigned)streamSize, &jxr, &jxrSize)
        || !RleEncodeFromData(jxr, jxrSize, &again, &againSize) || againSize != streamSize
        || memcmp(again, stream, (size_t)streamSize) != 0)
        return 3;
    FreeBuffer(stream);
    FreeBuffer(png);
    FreeBuffer(jxr);
    FreeBuffer(again);
    FreeBuffer(NULL);
    printf("stream %d bytes, png %d bytes\n", streamSize, pngSize);
    return 0;
}
