/* libpardex: builds the flash file-system images ("*.rom") of the panel's web server from a folder of
 * web files, and reads them back. Four C functions are exported; everything crosses as plain integers
 * and C strings owned by the caller. File and folder names are passed as the OS gives them (bytes).
 *
 * Image layout: the 48-byte header, then the directory (directoryUnits x 16 bytes: entryCount + 2
 * entries of 32 bytes), then the data area (dataUnits x 16 bytes). Every number is little-endian; on a
 * little-endian host the structs below have exactly the file's bytes. Space is counted in 16-byte units.
 */
#ifndef PARDEX_PARDEX_H
#define PARDEX_PARDEX_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PARDEX_API __attribute__((visibility("default")))

#define PARDEX_MAGIC "VOFS"
enum {
    PARDEX_UNIT_SIZE = 16,   /* bytes per unit of image space */
    PARDEX_HEADER_SIZE = 48,
    PARDEX_ENTRY_SIZE = 32,
    PARDEX_NAME_SIZE = 16    /* a name of 16 bytes fills the field without a terminator */
};

/* Flags of Compile. */
enum {
    PARDEX_COMPACT_MARKUP = 1, /* compact the files whose name contains ".htm" or ".css" */
    PARDEX_NO_ANSWERS = 2      /* leave out the built-in HTTP answers "401", "404" and "500" */
};

/* Results. Compile: 0 done; a positive warning (the last one met) = done with a remark; negative = failed.
 * Open: 0, PARDEX_ERR_OPEN or PARDEX_ERR_NOT_IMAGE. */
enum {
    PARDEX_OK = 0,
    PARDEX_WARN_SKIPPED = 1,     /* a file was skipped (name too long, or it could not be read) */
    PARDEX_WARN_START_LIMIT = 2, /* an entry's start unit is above 65535 */
    PARDEX_WARN_SIZE_LIMIT = 4,  /* a file is larger than 65535 bytes */
    PARDEX_ERR_FOLDER = -1,      /* the source folder cannot be listed */
    PARDEX_ERR_LOG = -4,         /* the log file cannot be created */
    PARDEX_ERR_IMAGE = -6,       /* the image file cannot be created or written */
    PARDEX_ERR_NOT_IMAGE = -7,   /* shorter than a header, or not beginning with "VOFS" */
    PARDEX_ERR_OPEN = -9,        /* the image file cannot be opened */
    PARDEX_ERR_TEMP = -10        /* the temporary data file cannot be created or written */
};

/* Kinds of directory entry. */
enum { PARDEX_KIND_ANSWER = 0, PARDEX_KIND_ADMIN = 2, PARDEX_KIND_FILE = 3 };

typedef struct FlashImageHeader {
    char magic[4];           /* "VOFS", no terminator */
    uint8_t versionMajor;    /* 1 */
    uint8_t versionMinor;    /* 1 */
    uint16_t reserved6;
    char date[4];            /* written as zero */
    char time[4];            /* written as zero */
    uint32_t directoryUnits; /* 2 x (entryCount + 2) */
    uint32_t entryCount;     /* files and answers */
    uint32_t payloadBytes;   /* the sum of their sizes */
    uint32_t dataUnits;      /* the sum of their units */
    uint32_t firstDataUnit;  /* base unit + directory units */
    uint8_t reserved36[12];
} FlashImageHeader;

typedef struct FlashDirEntry {
    char name[16];           /* NUL-padded */
    uint32_t startUnit;      /* unit u starts at file offset 48 + (u - base unit) x 16 */
    uint32_t size;           /* bytes */
    uint16_t reserved24;
    uint16_t reserved26;
    uint16_t kind;           /* PARDEX_KIND_* */
    uint16_t reserved30;
} FlashDirEntry;

#ifdef __cplusplus
#define PARDEX_STATIC_ASSERT(cond, text) static_assert(cond, text)
#else
#define PARDEX_STATIC_ASSERT(cond, text) _Static_assert(cond, text)
#endif
PARDEX_STATIC_ASSERT(sizeof(FlashImageHeader) == 48, "the image header is 48 bytes");
PARDEX_STATIC_ASSERT(sizeof(FlashDirEntry) == 32, "a directory entry is 32 bytes");
PARDEX_STATIC_ASSERT(offsetof(FlashImageHeader, directoryUnits) == 16, "header layout");
PARDEX_STATIC_ASSERT(offsetof(FlashImageHeader, firstDataUnit) == 32, "header layout");
PARDEX_STATIC_ASSERT(offsetof(FlashDirEntry, startUnit) == 16, "entry layout");
PARDEX_STATIC_ASSERT(offsetof(FlashDirEntry, kind) == 28, "entry layout");

/* Builds the image of the regular files of sourceFolder into imagePath. baseUnit is added to every
 * start unit (0 for the panel); flags are PARDEX_COMPACT_MARKUP and PARDEX_NO_ANSWERS; logPath names
 * the text log to write, or is null for none. The first argument is not used. */
PARDEX_API int Compile(int unused, unsigned baseUnit, unsigned flags, const char* sourceFolder,
                       const char* imagePath, const char* logPath);

/* Opens an image for reading (one at a time; an open one is closed first). On success the image's
 * first 48 bytes are copied into header when it is not null and the image is positioned at its
 * directory. */
PARDEX_API int Open(const char* path, void* header);

/* Reads up to count % 65536 bytes of the open image; the number read (0 when none is open). */
PARDEX_API int Read(void* buffer, unsigned count);

/* Closes the open image: 0 when none was open, otherwise 0 on success. */
PARDEX_API int Close(void);

/* The type of Compile, for a caller that loads the library at run time. */
typedef int (*PardexCompileFunc)(int, unsigned, unsigned, const char*, const char*, const char*);

#ifdef __cplusplus
}
#endif

#endif
