// Checking a finished output image before it is written: the image is read
// back with the tool's own readers and every room of every kind is compared
// with the destination set after the transfer.
//
// One line per difference, "Room 0x12C (300): KIND: DETAIL", with
// " (expected)" behind the differences the tool accepts (torches and pushable
// blocks reported as not fitting, the trailing 0xFF of layer data); then the
// summary "320 rooms read back as written" when every difference was
// expected (with their count in brackets when there were any), otherwise
// "N differences found" (with the expected ones counted in brackets).
#pragma once

#include <string>

#include "app/job/transfer_job.h"

struct VerifyReport {
  std::string text;     // the difference lines and the summary line
  std::string summary;  // the summary line alone
  int unexpected = 0;   // differences that are not expected: the output must not be written
  int expected = 0;
};

VerifyReport VerifyOutput(TransferResult& result);
