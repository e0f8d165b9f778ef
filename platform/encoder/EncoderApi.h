/* Entries of the encoder library VelmorEncoder.so, loaded at run time from the program folder.
   One encoder per process: initEncoder opens the output file, EncOneFrame adds one picture,
   closeEncoder finishes the file. All three may be called from any thread; calls are serialised. */
#ifndef PICREEL_ENCODER_API_H
#define PICREEL_ENCODER_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Results. EncOneFrame's non-zero value ends a slideshow and is passed on by the caller, so 2 (which
   the program reads as "stopped") is never used. */
#define ENCODER_OK 0
#define ENCODER_ERR_NOT_OPEN 3     /* no encoder is open: never initialised, failed or closed */
#define ENCODER_ERR_ARGUMENT 4     /* a text or size handed to initEncoder is not usable */
#define ENCODER_ERR_CODEC 5        /* a codec name is unknown or the codec/container refused the settings */
#define ENCODER_ERR_WRITE 6        /* the output file could not be created or written */
#define ENCODER_ERR_ENCODE 7       /* encoding a frame failed */

/* Opens the output file. The container follows the output file's extension (.avi, .mp4, .3gp, ...).
   Bit rates are texts such as "800kb", "128kb" or "12.2k"; the frame size is "WxH" and must match
   width and height; the frame rate is a decimal text ("29.97" is 30000/1001). The audio file is the
   music (any format FFmpeg decodes, normally MP2), cut at the video's length; a missing or unreadable
   one gives silence. The raw work file is not used. Returns ENCODER_OK or an error; after an error
   no file is left and EncOneFrame fails. An encoder still open is finished first. */
int32_t initEncoder(int32_t width, int32_t height, const char* outputFile, const char* rawWorkFile,
                    const char* audioFile, const char* audioCodec, const char* audioBitRate,
                    const char* audioSampleRate, const char* audioChannels, const char* videoCodec,
                    const char* videoBitRate, const char* frameSize, const char* frameRate);

/* Encodes one picture of width x height x 3 / 2 bytes of planar YUV 4:2:0 (Y, then U, then V).
   Returns ENCODER_OK to go on; on a write or encode failure the output file is removed. */
int32_t EncOneFrame(const uint8_t* yuv420);

/* Flushes the encoders and finishes the file so that it plays. Safe to call again and after a failed
   initEncoder (then it does nothing and returns ENCODER_OK). On failure the file is removed. */
int32_t closeEncoder(void);

/* The failure of the entry call that failed last: copies its reason (the step and the system's or
   FFmpeg's words, for example "cannot create '/out/a.avi': Permission denied") into text, cut to
   size - 1 bytes and NUL-terminated, and returns its result code. 0 and an empty text when no call
   has failed since the library was loaded or since the last initEncoder that succeeded. An optional
   entry: a caller that finds no such entry still has the result codes. */
int32_t getEncoderError(char* text, int32_t size);

typedef int32_t (*InitEncoderFn)(int32_t width, int32_t height, const char* outputFile,
                                 const char* rawWorkFile, const char* audioFile, const char* audioCodec,
                                 const char* audioBitRate, const char* audioSampleRate,
                                 const char* audioChannels, const char* videoCodec,
                                 const char* videoBitRate, const char* frameSize, const char* frameRate);
typedef int32_t (*EncOneFrameFn)(const uint8_t* yuv420);
typedef int32_t (*CloseEncoderFn)(void);
typedef int32_t (*GetEncoderErrorFn)(char* text, int32_t size);

#ifdef __cplusplus
}
#endif

#endif
