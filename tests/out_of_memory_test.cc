// A failed allocation ends the run with a message and status 1, on whichever
// thread it fails, instead of an abort through an uncaught exception.

#include <gtest/gtest.h>

#include <new>
#include <thread>

#include "driver/run.h"

namespace {

TEST(OutOfMemory, EndsTheRunWithStatusOne) {
  for (const bool second_thread : {false, true}) {
    EXPECT_EXIT(
        {
          end_run_when_out_of_memory();
          const std::new_handler handler = std::get_new_handler();
          if (second_thread) {
            std::thread([handler] { handler(); }).join();
          } else {
            handler();
          }
        },
        ::testing::ExitedWithCode(1), "^Out of memory.\n$");
  }
}

}  // namespace
