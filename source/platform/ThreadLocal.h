// How the library's thread-locals on hot paths are reached.
#pragma once

// In an ELF shared library a thread-local is found through __tls_get_addr on every access. The library is
// loaded with its host at start-up, so its few small thread-locals can sit in the static TLS block at a
// fixed offset from the thread pointer instead. Caveat: a host that dlopens the library late relies on the
// C library's small static-TLS surplus, and the load fails once that is used up. PE and Mach-O need no
// such hint.
#if defined(__ELF__) && (defined(__GNUC__) || defined(__clang__))
#define TQ_THREAD_LOCAL_FAST __attribute__((tls_model("initial-exec")))
#else
#define TQ_THREAD_LOCAL_FAST
#endif
