/*
 * Tagger plug-in interface.
 *
 * A tagger plug-in is a shared library named "TAG_<something>.so" placed in the tag plug-in
 * folder ("TagPlugins" under the program's root folder). It exports one C function:
 *
 *     TtaggerRecord* GetTagger(void);
 *
 * which returns a record that lives as long as the library is loaded. The host reads the
 * texts and values of the record and calls its entry points, always from one thread
 * (ReadPicture excepted, see there).
 *
 * Rules for plug-in writers:
 *  - Every slot is pointer-sized; keep the order below. Slots marked Reserved must be 0.
 *  - Texts are zero-terminated UTF-8 owned by the plug-in; they stay valid until the next
 *    call into the plug-in. A text getter may return NULL for "empty".
 *  - After ReadFile returns non-zero, the value slots (TrackNo, GenreID, BitRate, Duration,
 *    SampleRate, Channels, MediaType) and the text getters describe that file.
 *  - Every buffer the host hands over comes with its size in bytes, terminating zero
 *    included. Write at most size - 1 bytes and always terminate.
 *  - No C++ exception and no longjmp may leave an entry point.
 */
#ifndef TUNECREST_TAGGER_PLUGIN_H
#define TUNECREST_TAGGER_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Version slot: major number in bits 8 to 15, minor number in bits 0 to 7. */
#define TAGGER_VERSION(major, minor) ((((major) & 0xFF) << 8) | ((minor) & 0xFF))

/* Media flags and media type values. */
#define TAGGER_MEDIA_AUDIO 1
#define TAGGER_MEDIA_VIDEO 2
#define TAGGER_MEDIA_ADDRESS 4
#define TAGGER_MEDIA_KARAOKE 8

/* Buffer sizes the host uses (a plug-in must rely on the size argument, not on these). */
#define TAGGER_EXTRA_FIELD_BUFFER 4096
#define TAGGER_EXTENSION_BUFFER 255

/* One text getter: the argument is always 0. */
typedef const char* (*TtaggerTextGetter)(int32_t reserved);

/* Receives an embedded picture: its MIME type ("image/jpeg", may be empty) and its bytes,
   valid only during the call. */
typedef void (*TtaggerPictureSink)(void* context, const char* mime, const void* data, size_t size);

typedef struct TtaggerRecord {
    const char* Description;        /* the plug-in's name; also its settings section */
    const char* SupportedFileTypes; /* for display, e.g. "MP3, Ogg Vorbis, FLAC" */
    intptr_t Version;               /* TAGGER_VERSION(major, minor) */
    uintptr_t SupportFlags;         /* matched against the host's support level */
    uintptr_t MediaFlags;           /* TAGGER_MEDIA_* bits the plug-in can read */
    void* Reserved1[2];

    TtaggerTextGetter Artist;
    TtaggerTextGetter Title;
    TtaggerTextGetter Album;
    TtaggerTextGetter Comment;
    intptr_t TrackNo; /* of the file last read */
    TtaggerTextGetter Date;
    intptr_t GenreID; /* 255 when the genre has no number */
    TtaggerTextGetter GenreString;

    /* Extra name=value fields of the file last read. */
    int32_t (*ExtraFieldCount)(void);
    /* Fills `name` and `value` (each of the given size) for field `index` and stores the
       field's number (0 when it has none) in *number. */
    void (*GetExtraField)(int32_t index, char* name, size_t nameSize, char* value, size_t valueSize,
                          int32_t* number);
    void* Reserved2;

    intptr_t BitRate;    /* kbit/s */
    intptr_t Duration;   /* whole seconds */
    intptr_t SampleRate; /* Hz */
    intptr_t Channels;
    void* Reserved3;

    TtaggerTextGetter TagType; /* e.g. "ID3v2", "Xiph Comment" */
    intptr_t MediaType;        /* one TAGGER_MEDIA_* value for the file last read */
    void* Reserved4[2];

    /* The plug-in's own settings dialog; owner is the host window (may be 0). */
    void (*Configure)(uintptr_t owner);
    /* Called once after loading with the host value and the library's handle. */
    void (*Init)(intptr_t hostValue, void* module);
    /* Reads one file's tag into the record; non-zero on success. */
    int32_t (*ReadFile)(const char* fileName);
    /* Hands the embedded picture of `fileName` (the front cover when one is marked so,
       else the first picture) to `sink`; non-zero when the file has one. It opens the file
       itself, touches none of the values above and keeps no state, so the host may call
       it from any thread, also while other entry points run. May be 0 (no pictures). */
    int32_t (*ReadPicture)(const char* fileName, TtaggerPictureSink sink, void* context);
    /* Called before the library is unloaded. */
    void (*Finalise)(void);
    /* The shared settings file (INI form); the plug-in keeps its keys in its own section. */
    void (*LoadSettings)(const char* settingsFile);
    void (*SaveSettings)(const char* settingsFile);

    int32_t (*ExtensionCount)(void);
    /* Writes extension `index` (without the dot) into `buffer` of `bufferSize` bytes. */
    void (*GetExtension)(int32_t index, char* buffer, size_t bufferSize);
} TtaggerRecord;

typedef TtaggerRecord* (*TgetTaggerFunction)(void);

#define TAGGER_EXPORT_NAME "GetTagger"

#ifdef __cplusplus
}
#endif

#endif /* TUNECREST_TAGGER_PLUGIN_H */
