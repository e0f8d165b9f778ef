/* Entries of the audio converter library libxToMp2.so, loaded at run time from the program folder.
   Every converted file has the same MP2 format (44.1 kHz, stereo, 192 kb/s), so converted files joined
   byte by byte form one valid stream. */
#ifndef PICREEL_AUDIO_CONV_API_H
#define PICREEL_AUDIO_CONV_API_H

#include <stdint.h>

#include "platform/win/StopEventC.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Results of xToMp2. */
#define XTOMP2_OK 0
#define XTOMP2_ERR_INPUT 1   /* source missing, unreadable or holding no decodable audio */
#define XTOMP2_STOPPED 2     /* the stop event was seen; nothing was written */
#define XTOMP2_ERR_OUTPUT 3  /* the MP2 file could not be created or written */
#define XTOMP2_ERR_ENCODER 4 /* the MP2 encoder is not available */

/* Converts any music file FFmpeg decodes (mp3, mp2, wav, ...) into an MP2 file at dst. The file is
   written under a temporary name and renamed on success; on any failure or stop no file is left and
   an existing dst is untouched. stop may be null. */
int32_t xToMp2(const char* src, const char* dst, const StopEventC* stop);

/* Length of a music file in whole seconds (rounded down); 0 when it cannot be read. */
int32_t GetFileTimeLength(const char* path);

/* The failure of the last xToMp2 call that failed: copies its reason (the step and the system's or
   FFmpeg's words, for example "cannot create '/tmp/a.mp2': Permission denied") into text, cut to
   size - 1 bytes and NUL-terminated, and returns its result. 0 and an empty text when no call has
   failed since the library was loaded or since the last call that succeeded. An optional entry:
   a caller that finds no such entry still has the results. */
int32_t getConvertError(char* text, int32_t size);

typedef int32_t (*XToMp2Fn)(const char* src, const char* dst, const StopEventC* stop);
typedef int32_t (*GetFileTimeLengthFn)(const char* path);
typedef int32_t (*GetConvertErrorFn)(char* text, int32_t size);

#ifdef __cplusplus
}
#endif

#endif
