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

typedef int32_t (*XToMp2Fn)(const char* src, const char* dst, const StopEventC* stop);
typedef int32_t (*GetFileTimeLengthFn)(const char* path);

#ifdef __cplusplus
}
#endif

#endif
