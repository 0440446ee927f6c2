// Two tasks at once, the first on a thread of its own: for passes over a mesh's tables that do not
// depend on each other (they must not write what the other reads). Where no thread can be started
// they run one after the other. An exception from either reaches the caller once both have ended.
#pragma once

#include <exception>
#include <thread>

template <class First, class Second>
void RunSideBySide(First&& first, Second&& second) {
  std::exception_ptr firstFailed, secondFailed;
  auto runFirst = [&] {
    try {
      first();
    } catch (...) {
      firstFailed = std::current_exception();
    }
  };
  std::thread thread;
  try {
    thread = std::thread(runFirst);
  } catch (const std::exception&) {
    // No thread to be had: the first task runs here, after the second.
  }
  try {
    second();
  } catch (...) {
    secondFailed = std::current_exception();
  }
  if (thread.joinable()) thread.join();
  else runFirst();
  if (secondFailed) std::rethrow_exception(secondFailed);
  if (firstFailed) std::rethrow_exception(firstFailed);
}
