#include <gtest/gtest.h>

#include <new>
#include <thread>

#include "driver/run.h"

TEST(OutOfMemory, EndsTheRunWithStatusOneOnEitherThread) {
  end_run_when_out_of_memory();
  const auto status_one = ::testing::ExitedWithCode(1);
  EXPECT_EXIT(std::get_new_handler()(), status_one, "^Out of memory.\n$");
  EXPECT_EXIT(std::thread([] { std::get_new_handler()(); }).join(), status_one,
              "^Out of memory.\n$");
  std::set_new_handler(nullptr);
}
