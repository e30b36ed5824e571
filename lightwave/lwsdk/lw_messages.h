#pragma once
/* Message boxes and the host's command interpreter. */

#ifdef __cplusplus
extern "C" {
#endif

#define LWMESSAGEFUNCS_GLOBAL "Info Messages 2"
#define LWCOMMANDINTERFACE_GLOBAL "LW Command Interface"

/* Modal boxes: each takes a title and a text. */
typedef struct st_LWMessageFuncs {
  void (*info)(const char* title, const char* text);
  void (*error)(const char* title, const char* text);
  void (*warning)(const char* title, const char* text);
} LWMessageFuncs;

/* Runs one command text; the result is the host's own status. */
typedef int LWCommandFunc(const char* command);

#ifdef __cplusplus
}
#endif
