#include "platform/MessageBox.h"

#include <gtest/gtest.h>

namespace bw {
namespace {

// Nobody to ask must never mean "go ahead" with something destructive.
TEST(MessageBoxTest, DefaultAnswerNeverConfirms) {
  EXPECT_EQ(DefaultMessageBoxAnswer(kMbOk | kMbIconError), kIdOk);
  EXPECT_EQ(DefaultMessageBoxAnswer(kMbRetryCancel | kMbIconError), kIdCancel);
  EXPECT_EQ(DefaultMessageBoxAnswer(kMbYesNo | kMbIconQuestion), kIdNo);
  EXPECT_EQ(DefaultMessageBoxAnswer(kMbYesNoCancel), kIdCancel);
  EXPECT_EQ(DefaultMessageBoxAnswer(kMbAbortRetryIgnore), kIdAbort);
  EXPECT_EQ(DefaultMessageBoxAnswer(kMbOkCancel), kIdCancel);
}

} // namespace
} // namespace bw
