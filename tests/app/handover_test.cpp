// The hand-over to an instance with administrator rights: what one instance writes, the other
// reads back whole, and any other command line is no hand-over.

#include "app/handover.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

const Handover kChoice{{{"c:\\games\\fs2000\\addon scenery\\tarvik", "  Fs2000 ... tarvik", true},
                        {"\\\\server\\share\\Дмитрий \"x\"", "  Manualy ... share", false},
                        {"", "", true}},
                       "C:\\Users\\Ann\\AppData\\Local\\VirtualStore"};

TEST(HandoverTest, ReadsBackWhatWasHandedOverWhole) {
  const std::string argument = handoverArgument(kChoice);
  EXPECT_EQ(argument.find_first_not_of(
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_:/"),
            std::string::npos)
      << "nothing that a command line would need quoted";
  EXPECT_EQ(handoverFromCommandLine(argument), kChoice);
  EXPECT_EQ(handoverFromCommandLine("  " + argument + " "), kChoice);
  EXPECT_EQ(handoverFromCommandLine(handoverArgument({})), Handover{});
}

TEST(HandoverTest, AnyOtherCommandLineIsNoHandover) {
  const std::string argument = handoverArgument(kChoice);
  std::string tampered = argument;
  tampered[tampered.size() - 5] = tampered[tampered.size() - 5] == 'A' ? 'B' : 'A';
  std::string otherVersion = argument;
  otherVersion.replace(otherVersion.find(":1:"), 3, ":2:");
  for (const std::string& commandLine :
       {std::string(), std::string("/S"), std::string("--help"), tampered, otherVersion,
        argument.substr(0, argument.size() - 4), argument + " /S", "/S " + argument,
        argument.substr(0, argument.rfind(':')) + ":"})
    EXPECT_EQ(handoverFromCommandLine(commandLine), std::nullopt) << commandLine;
}

}  // namespace
}  // namespace tarvik
