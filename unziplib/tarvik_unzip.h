/*
 * tarvik_unzip: a small unzip library with a single-call interface.
 *
 * One call, Wiz_SingleEntryUnzip, lists, tests or extracts a ZIP archive, also one that sits
 * behind other data in its file (a self-extracting program), and reports through callbacks.
 * Texts are 8-bit, NUL-terminated, in the system's ANSI code page (UTF-8 outside Windows).
 * Records are plain C with natural alignment; every integer field is 32 bits wide.
 */
#ifndef TARVIK_UNZIP_H
#define TARVIK_UNZIP_H

#include <stdint.h>

#ifdef _WIN32
#define TARVIK_UNZIP_CALL __stdcall
#ifdef TARVIK_UNZIP_BUILDING
#define TARVIK_UNZIP_API __declspec(dllexport)
#else
#define TARVIK_UNZIP_API __declspec(dllimport)
#endif
#else
#define TARVIK_UNZIP_CALL
#define TARVIK_UNZIP_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The option record: fifteen 32-bit switches and values, then two text pointers. */
typedef struct {
  int32_t ExtractOnlyNewer;  /* 1: extract a member only when it is newer than the file on disk */
  int32_t SpaceToUnderscore; /* 1: write blanks in extracted names as underscores */
  int32_t PromptToOverwrite; /* 1: ask the replace callback before overwriting a file */
  int32_t fQuiet;            /* message level: 0 all messages, 1 fewer, 2 none but errors */
  int32_t ncflag;            /* 1: write members to the print callback instead of to files */
  int32_t ntflag;            /* 1: test the members (CRC check), write nothing */
  int32_t nvflag;            /* 1: list the members through the listing callback, write nothing */
  int32_t nfflag;            /* 1: freshen: only replace files that exist and are older */
  int32_t nzflag;            /* 1: print the archive comment */
  int32_t ndflag;            /* 1: recreate the folder names stored in the archive */
  int32_t noflag;            /* 1: overwrite existing files without asking */
  int32_t naflag;            /* 1: convert the line ends of members marked as text to CR LF */
  int32_t nZIflag;           /* 1: print a detailed listing of each member */
  int32_t C_flag;            /* 1: match include and exclude names with regard to case */
  int32_t fPrivilege;        /* reserved, 0 */
  char* lpszZipFN;           /* the archive's file name */
  char* lpszExtractDir;      /* the folder to extract into; empty: the current folder */
} DCL;

/* Prints len bytes of text (not NUL-terminated, may contain line ends). Returns 0. */
typedef int(TARVIK_UNZIP_CALL* TarvikPrintCallback)(char* text, uint32_t len);
typedef void(TARVIK_UNZIP_CALL* TarvikSoundCallback)(void);
/* Asks whether the existing file of that name may be overwritten; answers TARVIK_REPLACE_*. */
typedef int(TARVIK_UNZIP_CALL* TarvikReplaceCallback)(char* fileName);
/* Asks for the password of an encrypted member: writes it, NUL-terminated, into buffer, which
 * holds size bytes. prompt is a text to show; entryName is the member. Returns 0 when a password
 * was written, 1 when none is given (the member is then skipped). */
typedef int(TARVIK_UNZIP_CALL* TarvikPasswordCallback)(char* buffer, int32_t size,
                                                       const char* prompt, const char* entryName);
/* Reports one member while listing, in this order: uncompressed size, compressed size, ratio
 * in percent (the space saved: 100 - 100 * compressed / uncompressed, 0 when stored), month
 * (1-12), day (1-31), year (4 digits), hour, minute, a reserved value (0), the member's name, the
 * compression method's name, the CRC-32, and the encryption mark: 'E' for an encrypted member,
 * ' ' otherwise. */
typedef void(TARVIK_UNZIP_CALL* TarvikListCallback)(uint32_t uncompressedSize,
                                                    uint32_t compressedSize, uint32_t ratio,
                                                    uint32_t month, uint32_t day, uint32_t year,
                                                    uint32_t hour, uint32_t minute,
                                                    uint32_t reserved, char* name, char* method,
                                                    uint32_t crc, uint32_t encryptionMark);
/* Called before each member with its name and the name's length in bytes. Returns 1 to stop
 * the whole run (result TARVIK_UNZIP_CANCELLED), 0 to go on. */
typedef int(TARVIK_UNZIP_CALL* TarvikServiceCallback)(const char* name, uint32_t size);

/* The callback record. Any callback may be null. The totals are filled by a listing. */
typedef struct {
  TarvikPrintCallback print;
  TarvikSoundCallback sound;
  TarvikReplaceCallback replace;
  TarvikPasswordCallback password;
  TarvikListCallback SendApplicationMessage;
  TarvikServiceCallback ServCallBk;
  uint32_t TotalSizeComp;
  uint32_t TotalSize;
  uint32_t CompFactor;
  uint32_t NumMembers;
  uint16_t cchComment;
} USERFUNCTIONS;

/* Answers of the replace callback. */
#define TARVIK_REPLACE_NO 100     /* not this file */
#define TARVIK_REPLACE_YES 102    /* this file */
#define TARVIK_REPLACE_ALL 103    /* this file and every later one */
#define TARVIK_REPLACE_NONE 104   /* neither this file nor any later one */

/* The names under which the library exports its two entry points, which callers look up. */
#define TARVIK_UNZIP_SINGLE_ENTRY_NAME "Wiz_SingleEntryUnzip"
#define TARVIK_UNZIP_VERSION_NAME "UzpVersion2"

/* Results of Wiz_SingleEntryUnzip. */
#define TARVIK_UNZIP_OK 0
#define TARVIK_UNZIP_WARNING 1         /* done, but some members were skipped (see the messages) */
#define TARVIK_UNZIP_NOT_FOUND 9       /* the archive file cannot be opened */
#define TARVIK_UNZIP_NOT_ZIP 3         /* the file holds no ZIP archive */
#define TARVIK_UNZIP_DAMAGED 2         /* the archive's structure is damaged or truncated */
#define TARVIK_UNZIP_UNSUPPORTED 4     /* a feature the library does not support (ZIP64, method) */
#define TARVIK_UNZIP_CRC_ERROR 51      /* a member's data does not match its CRC-32 or size */
#define TARVIK_UNZIP_WRITE_ERROR 50    /* a file cannot be written: disk full or no access */
#define TARVIK_UNZIP_BAD_PASSWORD 82   /* no valid password for an encrypted member */
#define TARVIK_UNZIP_CANCELLED 80      /* the service callback stopped the run */
#define TARVIK_UNZIP_NO_MATCH 11       /* no member matches the include list */
#define TARVIK_UNZIP_BAD_ARGUMENT 10   /* a null record or archive name */

/* Extracting, the library writes each member to a staging file beside its target, named
 * TARVIK_UNZIP_STAGING_PREFIX, 8 hexadecimal digits and ".tmp" (e.g. "~tvk3f2a91c0.tmp"), and
 * moves it over the target once its CRC-32 holds. Besides the member in hand, members are staged
 * ahead: at most TARVIK_UNZIP_STAGED_AHEAD_FILES of them, and one more only while those ahead
 * declare fewer than TARVIK_UNZIP_STAGED_AHEAD_BYTES bytes together. A staging file that a
 * killed process left behind may be deleted. */
#define TARVIK_UNZIP_STAGING_PREFIX "~tvk"
#define TARVIK_UNZIP_STAGED_AHEAD_FILES 32
#define TARVIK_UNZIP_STAGED_AHEAD_BYTES (32u << 20)

/* Lists, tests or extracts the archive that dcl names. includeCount names of includeNames
 * (0: every member) and excludeCount of excludeNames select members; names may hold '*' and '?'.
 * Returns TARVIK_UNZIP_OK (0) on success, else one of the results above. */
TARVIK_UNZIP_API int TARVIK_UNZIP_CALL Wiz_SingleEntryUnzip(int includeCount, char** includeNames,
                                                            int excludeCount, char** excludeNames,
                                                            DCL* dcl, USERFUNCTIONS* callbacks);

/* The version record, 64 bytes. */
typedef struct {
  uint32_t structlen;     /* 64 on entry */
  uint32_t flag;          /* bit 0: beta release */
  char betalevel[10];     /* NUL-terminated, empty for a release */
  char date[20];          /* release date, NUL-terminated */
  char zlib_version[10];  /* the zlib version, NUL-terminated */
  uint8_t unzip[4];       /* major, minor, patch level, reserved: the extraction engine */
  uint8_t zipinfo[4];     /* the listing engine */
  uint8_t os2dll[4];      /* unused, 0 */
  uint8_t windll[4];      /* major, minor, patch level, reserved: this library's interface */
} UzpVer2;

/* Fills the version record. Returns 0, or 1 when structlen is not 64. */
TARVIK_UNZIP_API int TARVIK_UNZIP_CALL UzpVersion2(UzpVer2* version);

#ifdef __cplusplus
}
#endif

#endif /* TARVIK_UNZIP_H */
