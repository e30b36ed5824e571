#pragma once
/* The host's global function: every host service is fetched through it by
 * name. A null result means the host does not offer the service. */

#ifdef __cplusplus
extern "C" {
#endif

typedef void* GlobalFunc(const char* serviceName, int useMode);

/* Use modes. The module only ever borrows services for the moment. */
#define GFUSE_TRANSIENT 0
#define GFUSE_ACQUIRE 1
#define GFUSE_RELEASE 2

#ifdef __cplusplus
}
#endif
