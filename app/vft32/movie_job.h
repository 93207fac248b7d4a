/* What the host program tells its movie library about the movie to make: it travels in
 * InfoRecord.movieJob through the plug-in's vfGetInfo(1) to MakeFilm. */
#ifndef KESTRELMOVE_MOVIE_JOB_H
#define KESTRELMOVE_MOVIE_JOB_H

#include "host/host_records.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Supplies the host video for output frame `frame`: a source frame header and its packed pixels,
 * valid until the next call; *atOutputSize is 1 when the frame has the output size. Returns 1, or 0
 * with a message in the job when the video cannot be read. */
typedef int32_t (*MovieSourceProc)(void* user, int32_t frame, const FrameHeader** header, const uint8_t** pixels,
                                   int32_t* atOutputSize);
/* Told after every frame written. */
typedef void (*MovieProgressProc)(void* user, int32_t framesDone, int32_t framesTotal);

typedef struct MovieJob {
  int32_t size;           /* sizeof(MovieJob) */
  const char* outputPath; /* a movie or an image-sequence pattern */
  int32_t width;
  int32_t height;
  int32_t firstFrame; /* output frames, inclusive */
  int32_t lastFrame;
  int32_t frameRateCode;
  int32_t interlaced; /* frames woven from two rendered fields */
  VfActionProc render; /* the plug-in's render entry point */
  MovieSourceProc source;
  MovieProgressProc progress; /* may be null */
  void* user;
  /* Filled by MakeFilm. */
  int32_t framesWritten;
  char message[512]; /* why the movie failed */
} MovieJob;

#ifdef __cplusplus
}
#endif

#endif /* KESTRELMOVE_MOVIE_JOB_H */
