#pragma once
/* What a loadable module exports: one descriptor listing its servers. */

#include "lw_globals.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Marks the module's one export, the descriptor: the symbol the host looks
 * up by name, undecorated on every platform. */
#ifdef _WIN32
#define MOD_EXPORT __declspec(dllexport)
#else
#define MOD_EXPORT __attribute__((visibility("default")))
#endif

#define MOD_SYSSYNC 0x04121994
#define MOD_SYSVER 3
#define MOD_MACHINE 0x300

/* Activation results. */
#define AFUNC_OK 0
#define AFUNC_BADVERSION 1

/* Server tags: the two language identifiers (US English, Japanese) and the
 * two text tags the descriptor carries for each server. */
#define SRVTAG_LANG_ENGLISH 0x409
#define SRVTAG_LANG_JAPANESE 0x411
#define SRVTAG_TEXT_A 0x10000
#define SRVTAG_TEXT_B 0x40000

typedef int ActivateFunc(int version, GlobalFunc* global, void* local, void* serverData);

typedef struct st_ServerTagInfo {
  const char* string;
  unsigned int tag;
} ServerTagInfo;

/* Lists end with an all-null record. */
typedef struct st_ServerRecord {
  const char* className;
  const char* name;
  ActivateFunc* activate;
  ServerTagInfo* tagInfo;
} ServerRecord;

typedef struct st_ModuleDescriptor {
  unsigned int sysSync;
  unsigned int sysVersion;
  unsigned int sysMachine;
  void* (*startup)(void);
  void (*shutdown)(void* serverData);
  ServerRecord* serverDefs;
} ModuleDescriptor;

#ifdef __cplusplus
}
#endif
