// The screen-saver command line: splitting, normalising and dispatching.
#include <gtest/gtest.h>

#include "app/run_modes.h"

namespace {

struct Case {
    const char* commandLine; // as the system hands it over, after the program path
    Dispatch dispatch;
    const char* modeLetter;
    const char* hostHandle;
};

const char* Name(Dispatch d) {
    switch (d) {
    case Dispatch::Configure: return "Configure";
    case Dispatch::PasswordChange: return "PasswordChange";
    case Dispatch::Preview: return "Preview";
    case Dispatch::Saver: return "Saver";
    }
    return "?";
}

const Case cases[] = {
    {"", Dispatch::Configure, "", ""},
    {"/s", Dispatch::Saver, "S", ""},
    {"/S", Dispatch::Saver, "S", ""},
    {"-s", Dispatch::Saver, "S", ""},
    {"s", Dispatch::Configure, "", ""},          // its only character is removed
    {"/p 1234", Dispatch::Preview, "P", "1234"},
    {"/P:1234", Dispatch::Preview, "P", "1234"},
    {"/p:1234", Dispatch::Preview, "P", "1234"},
    {"/p -1234", Dispatch::Preview, "P", "1234"},
    {"/c:5678", Dispatch::Configure, "C", "5678"},
    {"/c", Dispatch::Configure, "C", ""},
    {"/a 1234", Dispatch::PasswordChange, "A", "1234"},
    {"/x", Dispatch::Saver, "X", ""},
    {"//s", Dispatch::Saver, "S", ""},
    {"saver", Dispatch::PasswordChange, "A", "ER"}, // SAVER without S is AVER
    {"/p:", Dispatch::Preview, "P", ""},
    {"\"/s\"", Dispatch::Saver, "S", ""},
    // further cases
    {"/p    1234", Dispatch::Preview, "P", "1234"},       // runs of spaces are one
    {"   /s   ", Dispatch::Saver, "S", ""},
    {"\"/p\" \"12 34\"", Dispatch::Preview, "P", "12 34"}, // a quoted word keeps its spaces
    {"/p \"1234", Dispatch::Preview, "P", "1234"},         // an unclosed quote runs to the end
    {"/p 12/34", Dispatch::Preview, "P", "1234"},
    {"/p -12-/34", Dispatch::Preview, "P", "1234"},
    {"/p:ab", Dispatch::Preview, "P", "AB"},               // the long form is upper-cased whole
    {"/p abc", Dispatch::Preview, "P", "abc"},             // the second argument keeps its case
    {"/P:12/P:34", Dispatch::Preview, "P", "1234"},        // every copy of the prefix goes
    {"/s 1 2 3", Dispatch::Saver, "S", "1"},               // at most two arguments are read
    {"ss", Dispatch::Configure, "", ""},
    {"/", Dispatch::Configure, "", ""},
    {"/sp", Dispatch::Saver, "S", ""},
    {"/ p", Dispatch::Configure, "", "p"},
    {"p:1", Dispatch::Saver, ":", ""},                     // "P:1" leaves no handle, P goes from the letter
};

TEST(CommandLine, EveryCaseOfTheTable) {
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("command line: [") + c.commandLine + "]");
        std::vector<std::string> words = SplitCommandLine(c.commandLine);
        CommandLine line = NormaliseArguments(words.size() > 0 ? words[0] : "", words.size() > 1 ? words[1] : "");
        EXPECT_EQ(line.modeLetter, c.modeLetter);
        EXPECT_EQ(line.hostHandleText, c.hostHandle);
        EXPECT_STREQ(Name(DispatchFor(line.modeLetter)), Name(c.dispatch));
    }
}

TEST(CommandLine, ArgumentsAreJoinedWithSingleSpacesBeforeSplitting) {
    char program[] = "Zelvaro", a[] = "\"/p", b[] = "1234\"", c[] = "x";
    char* argv[] = {program, a, b, c};
    std::string joined = JoinArguments(4, argv);
    EXPECT_EQ(joined, "\"/p 1234\" x");
    // quoting behaves as it would in one Windows command line
    EXPECT_EQ(SplitCommandLine(joined), (std::vector<std::string>{"/p 1234", "x"}));
}

} // namespace
