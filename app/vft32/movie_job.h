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
  /* The movie's details; zero, null or empty strings keep the usual choices. */
  int32_t rateNumerator; /* the exact rate; 0: the rate code's */
  int32_t rateDenominator;
  const char* audioPath; /* whose audio streams the movie carries; null: none */
  double audioStart;     /* seconds into that file's timeline where the first frame lies */
  const char* videoCodec;
  const char* preset;
  const char* pixelFormat;
  int32_t crfGiven; /* 0: the encoder's usual quality */
  int32_t crf;
  int32_t overwrite;
  /* The input's pictures, carried into the movie, as FFmpeg numbers them; 0 where not given. */
  int32_t sampleAspectNum;
  int32_t sampleAspectDen;
  int32_t fieldOrder;
  int32_t colourSpace;
  int32_t colourPrimaries;
  int32_t colourTransfer;
  int32_t colourRange;
  const char* sourcePixelFormat;
  /* Filled by MakeFilm. */
  int32_t framesWritten;
  char message[512];       /* why the movie failed */
  char leftAfterStop[512]; /* after a failure: what is left of the output */
} MovieJob;

#ifdef __cplusplus
}
#endif

#endif /* KESTRELMOVE_MOVIE_JOB_H */
