#pragma once
/* The item-info service: walking the host's scene items and reading their
 * channels at a time. */

#include "lw_types.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LWITEMINFO_GLOBAL "LW Item Info 3"

/* Parameter codes for param(). Rotations come back as heading, pitch, bank in
 * radians. */
#define LWIP_POSITION 1
#define LWIP_ROTATION 5
#define LWIP_SCALING 6
#define LWIP_PIVOT 7
#define LWIP_PIVOT_ROT 12

typedef struct st_LWItemInfo {
  /* first(LWI_BONE, object) gives the object's first bone; for the other
   * kinds the object argument is ignored and the scene's first item of that
   * kind comes back. */
  LWItemID (*first)(LWItemType type, LWItemID object);
  /* The next item of the same kind (for a bone: the next bone of its object). */
  LWItemID (*next)(LWItemID item);
  /* Children that are not bones, in the host's order. */
  LWItemID (*firstChild)(LWItemID parent);
  LWItemID (*nextChild)(LWItemID parent, LWItemID prevChild);
  LWItemID (*parent)(LWItemID item);
  const char* (*name)(LWItemID item);
  void (*param)(LWItemID item, int paramCode, LWTime time, LWDVector out);
} LWItemInfo;

#ifdef __cplusplus
}
#endif
