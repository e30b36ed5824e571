#pragma once
/* Basic value types shared by the host and the module. Plain C so that either
 * side may be built by any compiler the host platform uses. */

#ifdef __cplusplus
extern "C" {
#endif

/* An opaque handle for a scene item; null means "no item". */
typedef void* LWItemID;
#define LWITEM_NULL ((LWItemID)0)

/* Item kinds, as handed to the item-info first(). */
typedef int LWItemType;
#define LWI_OBJECT 0
#define LWI_LIGHT 1
#define LWI_CAMERA 2
#define LWI_BONE 3

typedef int LWFrame;
typedef double LWTime; /* seconds */
typedef double LWDVector[3];

/* An error text, or null for success. */
typedef const char* LWError;

#ifdef __cplusplus
}
#endif
