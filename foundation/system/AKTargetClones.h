#pragma once

// AK_TARGET_CLONES("avx2", "default") builds a function once per instruction
// set and picks the version when the program is loaded. The pick runs from an
// indirect-function resolver during relocation, before ThreadSanitizer's
// runtime is ready, and such programs crash before main; sanitized builds
// therefore keep the default version only.
#if defined(__SANITIZE_THREAD__)
#define AK_TARGET_CLONES(...)
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define AK_TARGET_CLONES(...)
#endif
#endif

#ifndef AK_TARGET_CLONES
#define AK_TARGET_CLONES(...) __attribute__((target_clones(__VA_ARGS__)))
#endif
