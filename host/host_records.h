/* The records a host passes to the plug-in's entry points, the entry points themselves, the callbacks
 * of movie making and the movie library's MakeFilm. Plain C, so that any host can include it.
 *
 * Every field keeps its documented order. On a 32-bit build the byte offsets are the documented ones
 * (checked below); on 64-bit builds pointers take 8 bytes and the later offsets follow from that.
 * PluginIdentity and the PiPL bytes hold no pointers and keep their exact layout everywhere. */
#ifndef KESTRELMOVE_HOST_RECORDS_H
#define KESTRELMOVE_HOST_RECORDS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define KM_EXPORT __attribute__((visibility("default")))
#else
#define KM_EXPORT
#endif

/* Size of the parameter area the host keeps for the plug-in (and of every parameter area of movie
 * making). */
#define KM_PARAMETER_BLOCK_SIZE 64000

/* Values of ActionRecord.action. */
#define KM_ACTION_EDIT 0
#define KM_ACTION_RENDER 2

/* Values of ActionRecord.frameRateCode; any other value means 29.97 frames per second. */
#define KM_RATE_CODE_25 2
#define KM_RATE_CODE_24 3

/* Requests of vfGetInfo. */
#define KM_INFO_RESET 0
#define KM_INFO_MAKE_MOVIE 1

/* Filled by vfExpress. Text fields are zero-terminated. */
typedef struct PluginIdentity {
  int32_t interfaceVersion; /* 0: 0x40000 */
  char shortName[16];       /* 4 */
  char name[64];            /* 20 */
  char menuName[64];        /* 84 */
  char groupName[64];       /* 148 */
  char groupMenuName[64];   /* 212 */
  int32_t parameterSize;    /* 276: bytes the host keeps for the plug-in */
  int32_t hostField280;     /* 280: 0 */
  int32_t hostField284;     /* 284: 21 */
} PluginIdentity;

/* A frame header in the layout of a Windows BITMAPINFOHEADER. The plug-in reads width, height and
 * bitCount; pixels are blue, green, red (, fourth byte), rows bottom-up. */
typedef struct FrameHeader {
  uint32_t size;
  int32_t width;
  int32_t height;
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;
  uint32_t sizeImage;
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t clrUsed;
  uint32_t clrImportant;
} FrameHeader;

/* The host record that holds the parameter block (its field at offset 4). */
typedef struct HostParameters {
  int32_t hostField0;
  uint8_t* parameterBlock; /* 4: KM_PARAMETER_BLOCK_SIZE bytes, or null */
} HostParameters;

/* The host record an ActionRecord points to; its field at offset 12 leads to the parameters. */
typedef struct HostProject {
  int32_t hostFields[3];
  HostParameters* parameters; /* 12 */
} HostProject;

/* Asks the host for a video frame while editing. On entry *header points to a request header; on
 * success (result 1) the host has replaced it by a pointer to its own frame, whose packed pixels begin
 * 37 bytes past that pointer. */
typedef int32_t (*FrameFetchProc)(int32_t zero, int32_t frame, FrameHeader** header, intptr_t userValue);

typedef struct ActionRecord {
  int32_t action;                 /* 0: KM_ACTION_EDIT, KM_ACTION_RENDER */
  int32_t fieldMode;              /* 4: non-zero: frame numbers count interlaced fields */
  void* parentWindow;             /* 8: parent of the editor window */
  int32_t hostField12;            /* 12 */
  int32_t frameRateCode;          /* 16 */
  int32_t hostField20;            /* 20 */
  int32_t length;                 /* 24: show length in frames (edit) */
  int32_t frameNumber;            /* 28: frame to render (render) */
  int32_t hostField32;            /* 32 */
  HostProject* project;           /* 36 */
  FrameFetchProc frameFetch;      /* 40 (edit) */
  intptr_t fetchUserValue;        /* 44: passed back to frameFetch */
  FrameHeader* sourceHeader;      /* 48 (render) */
  uint8_t* sourcePixels;          /* 52: packed rows, no padding */
  FrameHeader* destinationHeader; /* 56 (render) */
  uint8_t* destinationPixels;     /* 60: rows padded to 4 bytes */
} ActionRecord;

/* One entry of a parameter track: a frame position and its parameter area. */
typedef struct ParameterTrackEntry {
  int32_t position;
  uint8_t* area;
} ParameterTrackEntry;

typedef struct ParameterTrackDescriptor {
  int32_t hostField0;
  int32_t hostField4;
  int32_t entryCount;
  ParameterTrackEntry* entries;
} ParameterTrackDescriptor;

typedef struct InfoRecord {
  int32_t hostField0;
  int32_t hostField4;
  ParameterTrackDescriptor* parameterTracks; /* 8: null when the host gives none */
  HostParameters* parameters;                /* 12: the host's parameter block (reset) */
  void* movieJob;                            /* 16: the host's own description of the movie */
} InfoRecord;

/* Movie making: the movie library calls these to get and release parameter areas. */
typedef int32_t (*ParameterCallbackProc)(int32_t code, int32_t ignored, uint8_t** slot,
                                         const ParameterTrackEntry* first, const ParameterTrackEntry* second);
typedef int32_t (*ProgressCallbackProc)(int32_t progress);

/* Codes of the parameter callback. */
#define KM_PARAMETERS_BLEND 0
#define KM_PARAMETERS_ALLOCATE 1
#define KM_PARAMETERS_FREE 2
#define KM_PARAMETERS_COPY 3

/* The entry points, as undecorated C symbols. */
typedef int32_t (*VfExpressProc)(PluginIdentity* identity);
typedef int32_t (*VfGetInfoProc)(int32_t first, int32_t second, int32_t request, InfoRecord* info);
typedef int32_t (*VfActionProc)(int32_t first, ActionRecord* record);

KM_EXPORT int32_t vfExpress(PluginIdentity* identity);
KM_EXPORT int32_t vfGetInfo(int32_t first, int32_t second, int32_t request, InfoRecord* info);
KM_EXPORT int32_t vfAction(int32_t first, ActionRecord* record);

/* The PiPL resource (type "PIPL", id 16000) that identifies the plug-in, as its exact bytes. */
KM_EXPORT const uint8_t* kmPiplBytes(size_t* size);
typedef const uint8_t* (*KmPiplBytesProc)(size_t* size);

/* What the plug-in holds right now, for diagnostics (kestrelmove info) and host-side checks. */
typedef struct KmPluginStatus {
  int32_t frameRate;    /* hundredths of a frame per second, from the last vfAction */
  int32_t pictureCount; /* pictures of the show in memory */
  int32_t changeStamp;  /* change stamp of the show in memory */
  int32_t showLoads;    /* stored shows loaded by the render action since the library started */
  int32_t lastTime;     /* show time of the last rendered frame */
  int32_t lastField;    /* field of the last rendered frame: 0 progressive, 1 or 2 */
  int32_t lastLineFlag; /* line flag of the last rendered frame */
  int32_t outputWidth;  /* size of the output image */
  int32_t outputHeight;
  int32_t workRight;    /* the window layer's work area, 0 while the layer is not started */
  int32_t workBottom;
} KmPluginStatus;
KM_EXPORT int32_t kmPluginStatus(KmPluginStatus* status);
typedef int32_t (*KmPluginStatusProc)(KmPluginStatus* status);

/* How the input script of the last edit went. The host hands a script over in KESTRELMOVE_SCRIPT
 * (a file of input commands) before it calls the edit action; the plug-in replays it into the
 * editor. */
#define KM_SCRIPT_NONE 0       /* no script was given */
#define KM_SCRIPT_DONE 1       /* the editor closed; `remaining` commands after `line` did not run */
#define KM_SCRIPT_FAILED 2     /* a command could not run (message says which line and why); discarded */
#define KM_SCRIPT_ENDED_OPEN 3 /* every command ran and the editor was still open; discarded */
typedef struct KmEditScriptStatus {
  int32_t outcome;
  int32_t line;      /* the line of the last command started, or of the failure */
  int32_t remaining; /* commands not started when the editor closed */
  char message[512]; /* KM_SCRIPT_FAILED: "line N: problem", zero-terminated */
} KmEditScriptStatus;
KM_EXPORT int32_t kmEditScriptStatus(KmEditScriptStatus* status);
typedef int32_t (*KmEditScriptStatusProc)(KmEditScriptStatus* status);

/* From the movie library (libvft32.so). */
typedef int32_t (*MakeFilmProc)(InfoRecord* info, ParameterCallbackProc parameters, ProgressCallbackProc progress,
                                int32_t flags);
KM_EXPORT int32_t MakeFilm(InfoRecord* info, ParameterCallbackProc parameters, ProgressCallbackProc progress,
                           int32_t flags);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(PluginIdentity) == 288, "PluginIdentity is 288 bytes");
static_assert(offsetof(PluginIdentity, shortName) == 4 && offsetof(PluginIdentity, name) == 20 &&
                  offsetof(PluginIdentity, menuName) == 84 && offsetof(PluginIdentity, groupName) == 148 &&
                  offsetof(PluginIdentity, groupMenuName) == 212 && offsetof(PluginIdentity, parameterSize) == 276 &&
                  offsetof(PluginIdentity, hostField280) == 280 && offsetof(PluginIdentity, hostField284) == 284,
              "PluginIdentity keeps its documented offsets");
static_assert(sizeof(FrameHeader) == 40 && offsetof(FrameHeader, width) == 4 && offsetof(FrameHeader, height) == 8 &&
                  offsetof(FrameHeader, bitCount) == 14,
              "a frame header is a BITMAPINFOHEADER");
static_assert(offsetof(ActionRecord, fieldMode) == 4 && offsetof(ActionRecord, parentWindow) == 8,
              "ActionRecord starts as documented");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(ActionRecord, frameRateCode) == 16 && offsetof(ActionRecord, length) == 24 &&
                  offsetof(ActionRecord, frameNumber) == 28 && offsetof(ActionRecord, project) == 36 &&
                  offsetof(ActionRecord, frameFetch) == 40 && offsetof(ActionRecord, fetchUserValue) == 44 &&
                  offsetof(ActionRecord, sourceHeader) == 48 && offsetof(ActionRecord, sourcePixels) == 52 &&
                  offsetof(ActionRecord, destinationHeader) == 56 && offsetof(ActionRecord, destinationPixels) == 60,
              "ActionRecord keeps its documented offsets");
static_assert(offsetof(InfoRecord, parameterTracks) == 8 && offsetof(InfoRecord, parameters) == 12,
              "InfoRecord keeps its documented offsets");
static_assert(offsetof(HostProject, parameters) == 12 && offsetof(HostParameters, parameterBlock) == 4,
              "the host's records lead to the parameter block as documented");
static_assert(sizeof(ParameterTrackDescriptor) == 16 && sizeof(ParameterTrackEntry) == 8,
              "parameter tracks are 32-bit fields");
#endif
#endif

#endif /* KESTRELMOVE_HOST_RECORDS_H */
