#pragma once
/* The panel service: declarative panels bound to an instance. */

#ifdef __cplusplus
extern "C" {
#endif

#define LWXPANELFUNCS_GLOBAL "LWXPanel"

typedef struct st_LWXPanel* LWXPanelID;

/* Panel kinds. A view panel shows and edits one instance's values. */
#define LWXP_VIEW 1

/* A control: id, label, control class ("sFileName", "float", "vButton", ...).
 * Lists end with an all-zero entry. */
typedef struct st_LWXPanelControl {
  unsigned int cid;
  const char* label;
  const char* ctrlclass;
} LWXPanelControl;

/* A value the panel reads and writes through the instance's get/set pair:
 * id, label, data type ("string", "float", ...). Lists end with all zero. */
typedef struct st_LWXPanelDataDesc {
  unsigned int vid;
  const char* name;
  const char* datatype;
} LWXPanelDataDesc;

/* One word of a hint list: a tag, an id, a text or a function, as the tag
 * before it says. Pointer-sized so that texts and functions fit. */
typedef void* LWXPanelHint;

#define XpEND 0
#define XpLABEL 0x3D000B03
#define XpXREQCFG 0x3D019105
#define XpBUTNOTIFY 0x3D015F02

/* File requester modes for XpXREQCFG. */
#define LWXPREQ_LOAD 0

/* get: a pointer to the value, or null. set: 1 when the id was handled. */
typedef void* LWXPanelGetFunc(void* inst, unsigned int vid);
typedef int LWXPanelSetFunc(void* inst, unsigned int vid, void* value);
/* Called when a button with XpBUTNOTIFY is pressed. */
typedef void LWXPanelBtnClickFunc(LWXPanelID panel, int cid);

typedef struct st_LWXPanelFuncs {
  int version;
  LWXPanelID (*create)(int type, LWXPanelControl* controls);
  void (*destroy)(LWXPanelID panel);
  void (*describe)(LWXPanelID panel, LWXPanelDataDesc* data, LWXPanelGetFunc* get, LWXPanelSetFunc* set);
  void (*hint)(LWXPanelID panel, unsigned int id, LWXPanelHint* hints);
  void (*viewInst)(LWXPanelID panel, void* inst);
  void (*setData)(LWXPanelID panel, unsigned int id, void* data);
  void* (*getData)(LWXPanelID panel, unsigned int id);
  void (*formSet)(LWXPanelID panel, unsigned int cid, void* value);
} LWXPanelFuncs;

#ifdef __cplusplus
}
#endif
