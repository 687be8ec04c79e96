/* The profile-file library: reading and in-place editing of INI-style
 * profile files and line-oriented DOS text files, through a scratch copy
 * that takes the edited file's place only when something changed.
 *
 * Not reentrant: several operations return texts in static buffers, valid
 * until the next call of the same operation. */
#ifndef CPUNINST_PROFILE_PROFILE_H
#define CPUNINST_PROFILE_PROFILE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Line-removal options of FileDeleteLine. */
enum {
  FILE_LINE_NO_SPACES = 1,  /* remove all white space before comparing */
  FILE_LINE_LOWER = 2,      /* lower-case A-Z before comparing */
  FILE_LINE_CONTAINS = 4    /* match by containment instead of equality */
};

/* Options of the section walk. */
enum {
  INI_WALK_BLANK_LINES = 1, /* blank lines are returned too */
  INI_WALK_FROM_POSITION = 2 /* IniFirstSectionLine starts at *position */
};

/* Primitives. */
char* TrimTrailingSpace(char* text);
char* RemoveSpaces(char* text);
int MakeTempName(char* out, const char* path);

/* Line removal: 0 removed, 1 nothing matched, 2 failure. The pattern is
 * normalised in place. */
int FileDeleteLine(const char* path, char* pattern, int options);

/* Key removal: 0 removed, 1 nothing removed or failure, -1 commit failed. */
int IniDeleteKey(const char* path, const char* section, const char* key);

/* Value readers. */
const char* IniGetLastSection(const char* path, const char* defaultName);
const char* IniGetString(const char* path, const char* section, const char* key,
                         const char* defaultValue);
int32_t IniGetHex(const char* path, const char* section, const char* key, int32_t defaultValue);
uint32_t IniGetUnsigned(const char* path, const char* section, const char* key,
                        uint32_t defaultValue);
const char* IniFirstSectionLine(const char* path, const char* section, int32_t* position,
                                int options);
const char* IniNextSectionLine(const char* path, int32_t* position, int options);
extern int32_t IniLineNumber;

/* Value writers. */
int IniReplaceKey(const char* path, const char* section, const char* key, const char* line);
int IniAddLine(const char* path, const char* section, const char* line);
int IniAddHex(const char* path, const char* section, const char* key, int32_t value);
int IniAddInt(const char* path, const char* section, const char* key, int32_t value);
int IniSetString(const char* path, const char* section, const char* key, const char* value);
int IniSetUnsigned(const char* path, const char* section, const char* key, uint32_t value);
int IniSetHex(const char* path, const char* section, const char* key, uint32_t value);

#ifdef __cplusplus
}
#endif

#endif /* CPUNINST_PROFILE_PROFILE_H */
