// Whether the tests run under AddressSanitizer or ThreadSanitizer, whose
// runtimes reserve terabytes of address space: address space limits
// (ulimit -v, setrlimit) mean nothing there, and tests built on them skip.
#ifndef DREVEL_TESTS_SUPPORT_SANITIZED_H
#define DREVEL_TESTS_SUPPORT_SANITIZED_H

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif
#else
constexpr bool sanitized = false;
#endif

#endif
