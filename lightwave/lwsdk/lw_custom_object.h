#pragma once
/* Custom objects: per-item instances the host creates, steps through time and
 * asks to draw, plus the interface record through which each gets a panel. */

#include "lw_panel.h"
#include "lw_types.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWCUSTOMOBJ_HCLASS "CustomObjHandler"
#define LWCUSTOMOBJ_ICLASS "CustomObjInterface"
#define LWCUSTOMOBJ_VERSION 5
#define LWINTERFACE_VERSION 4

typedef void* LWInstance;
typedef struct st_LWLoadState LWLoadState;
typedef struct st_LWSaveState LWSaveState;

typedef struct st_LWInstanceFuncs {
  void* priv; /* the host's; handed back to create */
  LWInstance (*create)(void* priv, void* context, LWError* error);
  void (*destroy)(LWInstance inst);
  LWError (*copy)(LWInstance to, LWInstance from);
  LWError (*load)(LWInstance inst, const LWLoadState* state);
  LWError (*save)(LWInstance inst, const LWSaveState* state);
  const char* (*descln)(LWInstance inst);
} LWInstanceFuncs;

typedef struct st_LWItemFuncs {
  const LWItemID* (*useItems)(LWInstance inst);
  void (*changeID)(LWInstance inst, const LWItemID* idTable);
} LWItemFuncs;

typedef struct st_LWRenderFuncs {
  LWError (*init)(LWInstance inst, int renderMode);
  void (*cleanup)(LWInstance inst);
  LWError (*newTime)(LWInstance inst, LWFrame frame, LWTime time);
} LWRenderFuncs;

/* Coordinate systems for the drawing primitives. */
#define LWCSYS_WORLD 0
#define LWCSYS_OBJECT 1

/* The drawing access handed to evaluate; every primitive takes dispData back. */
typedef struct st_LWCustomObjAccess {
  int view;
  int flags;
  void* dispData;
  void (*setColor)(void* dispData, float rgba[4]);
  void (*line)(void* dispData, LWDVector a, LWDVector b, int csys);
} LWCustomObjAccess;

/* What the handler activation fills; the three tables are the host's. */
typedef struct st_LWCustomObjHandler {
  LWInstanceFuncs* inst;
  LWItemFuncs* item;
  LWRenderFuncs* rend;
  void (*evaluate)(LWInstance inst, const LWCustomObjAccess* access);
  unsigned int (*flags)(LWInstance inst);
} LWCustomObjHandler;

/* What the interface activation fills for one instance. */
typedef struct st_LWInterface {
  LWInstance inst;
  LWItemID item;
  LWXPanelID panel;
  LWError (*options)(LWInstance inst);
  LWError (*command)(LWInstance inst, const char* command);
} LWInterface;

#ifdef __cplusplus
}
#endif
