#pragma once
// A command's callback with the program's edge around it: whatever a command lets escape (memory
// running out, a library's exception) becomes one line on standard error and an exit code, never an
// abort. The commands' own exits (CLI's errors) pass through unchanged.
#include <cstdio>
#include <exception>
#include <new>
#include <utility>

#include "app/commands.h"

template <typename Command>
auto guarded(Command command) {
  return [command = std::move(command)] {
    try {
      command();
    } catch (const CLI::Error&) {
      throw;
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "kestrelmove: out of memory\n");
      throw CLI::RuntimeError(kExitFailure);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kestrelmove: %s\n", e.what());
      throw CLI::RuntimeError(kExitFailure);
    } catch (...) {
      std::fprintf(stderr, "kestrelmove: failed unexpectedly\n");
      throw CLI::RuntimeError(kExitFailure);
    }
  };
}
