/* profile: reading and in-place editing of INI-style profile files
 * (system.ini) and line-oriented DOS text files (config.sys, autoexec.bat).
 *
 * Callable from C and C++. Link the static library: the CMake package
 * cpuninst (target cpuninst::profile) or pkg-config cpuninst-profile; both
 * also name the C++ runtime a C program needs.
 *
 * Texts
 *   Every text is a NUL-terminated string of 8-bit bytes, compared byte by
 *   byte; "ignoring case" folds only A-Z onto a-z. White space is exactly
 *   the bytes 0x09 to 0x0D and 0x20. A blank is a space or a tab. No argument
 *   text is changed by a call, except FileDeleteLine's pattern and the
 *   strings given to TrimTrailingSpace and RemoveSpaces.
 *
 * Files
 *   Files are DOS text files: reading turns CR LF into LF, keeps a lone CR
 *   and stops at the first Ctrl-Z (0x1A); writing turns LF into CR LF. So a
 *   rewritten file has CR LF line ends throughout, a lone LF becomes CR LF,
 *   and a Ctrl-Z and whatever follows it are not carried over.
 *   Only regular files are read or edited: a directory, FIFO or device fails
 *   at once, without blocking (readers answer their default or null, edits
 *   their failure code). No function creates the file it reads or edits.
 *
 * Paths
 *   On Windows a path is a Windows path. On the hosted (Linux) build a path
 *   that starts with a drive letter and ':' (C:\WINDOWS\SYSTEM.INI) lies in
 *   the machine folder named by the environment variable WIN95_MACHINE:
 *   drive X: is its folder x/ (lower case), '\' and '/' both separate names,
 *   each name is matched ignoring case (an exact match first), ".." stops at
 *   the drive's root and no symbolic link is followed inside a drive.
 *   Without WIN95_MACHINE such a path names no file. Any other path is an
 *   ordinary host path, used as it is.
 *
 * Line pieces
 *   Files are read one line piece at a time into a fixed buffer: a piece
 *   ends just after a line feed, at the end of the file, or at 127 bytes
 *   (199 in FileDeleteLine). The header and key rules look at the first
 *   piece of a line. An edit never splits a line: a longer line is kept,
 *   removed or replaced whole. The readers work in pieces: a value they
 *   return ends with its line's first piece, and the walk returns a long
 *   line as several lines.
 *
 * The two rules
 *   Header: a line is the header of the section named by the text between
 *     its first '[' and its last ']', blanks trimmed, compared ignoring case;
 *     "[ Drivers ]", "[drivers] ; old" and also "; see [drivers]" all head
 *     "drivers". A wanted name is compared as given, not trimmed; ""
 *     names the header "[]".
 *   Key: a line's key is its first word between the separators space, tab
 *     and '=', compared ignoring case; its value is everything after the one
 *     separator that ended the key, trailing white space removed. So
 *     "Port=220" gives "220" and "Port = 220" gives "= 220"; a line "Port"
 *     alone has no key "Port".
 *   Inside a section, the readers and the key edits end the section at a
 *   line whose key begins with '[' ("[next]", "  [next]", but not
 *   "; [next]"); IniAddLine at any line holding '['; the walk at a line
 *   whose first byte that is not white space is '['.
 *
 * Edits and the scratch file
 *   An edit copies the file into a new scratch file beside it, named by the
 *   path cut at its last '.' (anywhere in the path) plus ".$$$":
 *   C:\CONFIG.SYS gives C:\CONFIG.$$$, c:\my.dir\profile gives c:\my.$$$.
 *   Whatever stands at that name is removed first and never written through
 *   (a directory there refuses the edit). Only when something changed does
 *   the scratch file, once flushed to stable storage, take the file's place
 *   (in one step where the platform can, so the file is never missing;
 *   keeping its permissions on the hosted build); otherwise it is deleted.
 *   Refused with the failure code before anything is opened: a path without
 *   '.', a path that already ends in ".$$$", and a path whose scratch name
 *   is longer than 127 bytes (199 for FileDeleteLine).
 *   On failure the file is untouched. A read error deletes the scratch file.
 *   After a failed write or flush that followed a change, the partial
 *   scratch file stays. When the file cannot be replaced (it is read-only,
 *   or the delete or rename fails), the complete new text stays in the
 *   scratch file; only where the platform has no one-step replace (Windows
 *   95) can a failed rename leave the file gone and the new text under the
 *   scratch name alone.
 *
 * Results
 *   The edits return small codes, 0 for success; each function lists its
 *   own. The readers return values, never errors: a file, section or key
 *   that is not there gives the caller's default (or null for the walk).
 *   Nothing is printed, logged or thrown. Why the last call did not do what
 *   was asked is kept until the next call: ProfileLastResult (at the end).
 *
 * One call at a time
 *   The library is not reentrant and keeps no file open between calls.
 *   Returned texts live in static buffers, one per reader, valid until the
 *   next call of the same reader; IniLineNumber is shared. Two edits of the
 *   same file must never run at the same time (they share the scratch name).
 */
#ifndef CPUNINST_PROFILE_PROFILE_H
#define CPUNINST_PROFILE_PROFILE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Options of FileDeleteLine, a bit set; other bits have no effect. */
enum {
  FILE_LINE_NO_SPACES = 1,  /* remove all white space (line end included) before comparing */
  FILE_LINE_LOWER = 2,      /* lower-case A-Z before comparing (after bit 1) */
  FILE_LINE_CONTAINS = 4    /* match a line that contains the pattern, not only an equal one */
};

/* Options of the section walk, a bit set. */
enum {
  INI_WALK_BLANK_LINES = 1,  /* blank lines are returned too, as "" */
  INI_WALK_FROM_POSITION = 2 /* IniFirstSectionLine seeks the header from *position on */
};

/* ---- Primitives ---- */

/* Removes the white space at the end of text, in place; returns text.
 * text: a writable string, not null. */
char* TrimTrailingSpace(char* text);

/* Removes every white-space byte anywhere in text, in place, keeping the
 * others in order; returns text. text: a writable string, not null. */
char* RemoveSpaces(char* text);

/* Writes the scratch name of path into out: path cut at its last '.', plus
 * ".$$$". Returns 1, or 0 when path holds no '.' (out then holds a copy of
 * path). out holds at least strlen(path) + 4 bytes; out and path not null.
 * It does not apply the edits' refusals (length, ".$$$"). */
int MakeTempName(char* out, const char* path);

/* ---- Line removal ---- */

/* Removes from the text file at path every line that matches pattern.
 *   pattern: a writable string, not null. Bits 1 and 2 normalise it in place
 *     first, even when the call then fails.
 *   options: FILE_LINE_NO_SPACES | FILE_LINE_LOWER | FILE_LINE_CONTAINS.
 * Each whole line, however long, is normalised the same way and compared:
 * equal to the pattern, or with FILE_LINE_CONTAINS containing it (an empty
 * pattern is in every line). Without FILE_LINE_NO_SPACES a line keeps its
 * line feed, so a whole-line match needs a pattern that ends in "\n" (and
 * an unterminated last line one that does not). Kept lines are copied
 * byte for byte; sections mean nothing here.
 * Returns
 *   0  at least one line was removed and the file replaced;
 *   1  no line matched: the file is untouched and no scratch file remains
 *      (also when a write failed before the first match);
 *   2  a failure: a refused name, a file that cannot be opened or is not a
 *      regular file, a scratch file that cannot be created, a read error, a
 *      write or flush that failed after a match (the partial scratch file
 *      stays), or a file that could not be replaced (the new text stays in
 *      the scratch file). */
int FileDeleteLine(const char* path, char* pattern, int options);

/* ---- Key removal ---- */

/* Removes every line of key from section of the profile at path.
 *   section: the section's name, or null for the whole file (every section
 *     and the lines before the first header). A later section of the same
 *     name is handled too, unless it follows the first one directly.
 *   key: not null.
 * Returns
 *   0   at least one line was removed and the file replaced;
 *   1   nothing to remove (the section or the key is not there: the file is
 *       untouched, no scratch file remains), or a failure before the file
 *       would be replaced: a refused name, a file that cannot be opened or
 *       is not a regular file, a scratch file that cannot be created, a
 *       read error, a write or flush that failed;
 *   -1  the file could not be replaced: the new text stays in the scratch
 *       file. */
int IniDeleteKey(const char* path, const char* section, const char* key);

/* ---- Value readers ---- */

/* The name of the last section header in the file (blanks trimmed, case as
 * written), or a copy of defaultName (cut to 127 bytes; null gives "") when
 * the file has none or cannot be read. The text is in a static buffer, valid
 * until the next IniGetLastSection call. */
const char* IniGetLastSection(const char* path, const char* defaultName);

/* The value of key: the first line of the key in the first section named
 * section (or, with a null section, anywhere in the file).
 *   key: not null.
 *   defaultValue: any pointer, null too; returned itself, not a copy.
 * Returns a pointer into a static buffer (at most 127 bytes, trailing white
 * space removed, leading blanks and '=' kept: "Port = 220" gives "= 220"),
 * valid until the next IniGetString, IniGetHex or IniGetUnsigned call; or
 * defaultValue when the file, the section or the key is not there, or the
 * key's line has no value ("Port=" as the file's unterminated last line;
 * "Port=" with its line end gives ""). */
const char* IniGetString(const char* path, const char* section, const char* key,
                         const char* defaultValue);

/* The value of key (as IniGetString finds it) read as hexadecimal: digits
 * 0-9, a-f, A-F, with 'x' or 'X' passed over while the result is still 0
 * ("0x1A", "1a" and "x1A" give 26); any other byte ends the number (" 1A"
 * gives 0). Wraps at 32 bits: of a longer run only the last eight digits
 * count. defaultValue, exactly, when the value is not there. */
int32_t IniGetHex(const char* path, const char* section, const char* key, int32_t defaultValue);

/* The value of key read as unsigned decimal, like scanf's "%u": white space
 * skipped, an optional sign, the digits up to the first other byte ("42abc"
 * gives 42); 0 when there is no number. defaultValue when the value is not
 * there. */
uint32_t IniGetUnsigned(const char* path, const char* section, const char* key,
                        uint32_t defaultValue);

/* The section walk: IniFirstSectionLine once, then IniNextSectionLine with
 * the same position until it returns null. Comment lines (first byte ';';
 * not a ';' after blanks) are passed over, and blank lines unless
 * INI_WALK_BLANK_LINES is set. The section ends at a line whose first byte
 * that is not white space is '['. A returned line has its trailing white
 * space removed and keeps its leading blanks; a line longer than 127 bytes
 * comes back in pieces.
 *
 * IniFirstSectionLine: the first line of the section.
 *   section, position: not null.
 *   *position: with INI_WALK_FROM_POSITION, where the header is sought
 *     from (a byte offset in the file as it stands on disk, CR LF counting
 *     two; a negative one means the start). On a returned line it is set to
 *     the offset just after that line; on null it is unchanged.
 *   Returns a static buffer valid until the next IniFirstSectionLine call,
 *   or null: no such section, no line in it, no file.
 * IniNextSectionLine: the next line after *position, which moves only when
 *   a line is returned. Returns its own static buffer (valid until the next
 *   IniNextSectionLine call), or null at the section's end, and null again
 *   on every later call with the same position. INI_WALK_FROM_POSITION has
 *   no effect here.
 * A walk whose next position would not fit an int32_t ends with null.
 *
 * IniLineNumber: one counter for the whole library, set to 0 by
 * IniFirstSectionLine and raised by both walk calls for every piece they
 * read (the read that meets the end included). After IniFirstSectionLine
 * returned a line it is that line's number counted from where the search
 * began. The library never reads it. */
const char* IniFirstSectionLine(const char* path, const char* section, int32_t* position,
                                int options);
const char* IniNextSectionLine(const char* path, int32_t* position, int options);
extern int32_t IniLineNumber;

/* ---- Value writers ----
 * The lines they write are the text given and a line end; texts carry no
 * line end of their own. A composed line (KEY=VALUE) must fit 127 bytes:
 * a longer one is refused with 1 and the file is untouched. */

/* Puts line in place of every line of key in section (section as for
 * IniDeleteKey; null for the whole file). line: the new line without its
 * line end, or null to remove the key's lines. Two lines of the key become
 * two copies of line. key: not null.
 * Returns
 *   0   at least one line was replaced or removed and the file replaced;
 *   1   nothing to replace (the section or the key is not there: the file
 *       is untouched, no scratch file remains), or a failure as for
 *       IniDeleteKey;
 *   -1  the file could not be replaced: the new text stays in the scratch
 *       file. */
int IniReplaceKey(const char* path, const char* section, const char* key, const char* line);

/* Adds line at the end of every section named section: after its last line
 * as read (blank and comment lines closing it included), just before the
 * next line that holds '[' anywhere ("path=[x]" too). A later section of
 * the same name gets the line too, unless it follows the first directly.
 * With a null section the line goes at the end of the file; a section that
 * is not there is appended, "[section]" and then the line. After a last
 * line without a line end, a line end is written first. line: not null.
 * Returns
 *   0   the line was added and the file replaced;
 *   1   a failure: a refused name, a file that cannot be opened (a missing
 *       file is not created) or is not a regular file, a scratch file that
 *       cannot be created, a read error, a write or flush that failed; the
 *       file is untouched;
 *   -1  the file could not be replaced: the new text stays in the scratch
 *       file. */
int IniAddLine(const char* path, const char* section, const char* line);

/* Add the line "KEY=0x%04X" (at least four upper-case hex digits:
 * Port=0x0220) or "KEY=%d" (Vol=-5) with IniAddLine, even when the key is
 * there already. key: not null. Results as IniAddLine. */
int IniAddHex(const char* path, const char* section, const char* key, int32_t value);
int IniAddInt(const char* path, const char* section, const char* key, int32_t value);

/* Sets key to value: the line KEY=VALUE replaces every line of the key (as
 * IniReplaceKey), and only when the key or its section is not there is it
 * added (as IniAddLine, which then appends the section if needed). A
 * replacement that failed is not followed by an addition, so a key never
 * ends up with two values. With a null value the key's lines are removed
 * (IniReplaceKey's results, nothing added). key: not null; key and value
 * together at most 126 bytes.
 * Returns 0, 1 (a failure, or with a null value nothing to remove), -1 (the
 * file could not be replaced). */
int IniSetString(const char* path, const char* section, const char* key, const char* value);

/* IniSetString with the value written as "%u" (4294967295) or "0x%04X"
 * (0x001F). */
int IniSetUnsigned(const char* path, const char* section, const char* key, uint32_t value);
int IniSetHex(const char* path, const char* section, const char* key, uint32_t value);

/* ---- Why ----
 * Every function above but the three primitives sets the reason of its
 * call, as it met it, before it returns, as GetLastError does on Windows:
 * PROFILE_OK when the call did what was asked, else the first thing that
 * stopped it. A result code or returned value never depends on it. The
 * setters and adders report the call they made last (IniSetString that adds
 * the line: IniAddLine's). Values are never renumbered; new ones are added
 * at the end. */
typedef enum ProfileResult {
  PROFILE_OK = 0,                   /* done; for the walk also a section that ended */
  PROFILE_NO_FILE = 1,              /* no such file, or a folder on its way is missing */
  PROFILE_NOT_REGULAR = 2,          /* a folder, FIFO or device where the file should be */
  PROFILE_DENIED = 3,               /* permission denied: to read the file, or to create
                                       the scratch file in its folder */
  PROFILE_REFUSED_PATH = 4,         /* hosted: a drive path the machine folder refuses
                                       (a link, a name no FAT disk holds) */
  PROFILE_NOT_OPENED = 5,           /* the file could not be opened for another reason */
  PROFILE_NO_DOT = 6,               /* the path holds no '.': it has no scratch name */
  PROFILE_SCRATCH_TOO_LONG = 7,     /* the scratch name does not fit the line buffer */
  PROFILE_IS_SCRATCH = 8,           /* the path ends in ".$$$": it is a scratch name */
  PROFILE_LINE_TOO_LONG = 9,        /* a composed line does not fit 127 bytes */
  PROFILE_NO_SECTION = 10,          /* no header of the section */
  PROFILE_NO_KEY = 11,              /* no line of the key (in the section) */
  PROFILE_NO_VALUE = 12,            /* the key's line has no value */
  PROFILE_NO_MATCH = 13,            /* no line matches the pattern */
  PROFILE_SCRATCH_NOT_CREATED = 14, /* the scratch file could not be created (a folder
                                       or a read-only file stands at its name) */
  PROFILE_WRITE_FAILED = 15,        /* writing or flushing the scratch file failed */
  PROFILE_NOT_REPLACED = 16,        /* the file could not be replaced: the new text is
                                       in the scratch file */
  PROFILE_READ_ERROR = 17,          /* reading the file failed part way */
  PROFILE_INVALID_ARGUMENT = 18,    /* a required argument is null */
  PROFILE_NO_MEMORY = 19            /* FileDeleteLine: no memory for a long pattern */
} ProfileResult;

/* The reason of the library's last call. */
ProfileResult ProfileLastResult(void);

#ifdef __cplusplus
}
#endif

#endif /* CPUNINST_PROFILE_PROFILE_H */
