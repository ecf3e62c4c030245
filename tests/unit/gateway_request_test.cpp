// The gateways' shared decisions, for any command: each refusal's
// identifier carries the command's name, and its text is the same whoever
// asks (readvelsol's two gateways are compared in tests/octave/).
#include "host/gateway_request.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using geomex::GatewayCommand;
using geomex::GatewayRequest;

constexpr GatewayCommand kOther{"readother", "x = readother (filename, opt)", 1, 2, 3};

void expectError(const GatewayRequest &r, const std::string &id, const std::string &text) {
  EXPECT_TRUE(r.failed());
  EXPECT_EQ(id, r.errorId());
  EXPECT_EQ(text, r.errorText());
}

TEST(GatewayRequest, RefusesCallsAndNamesUnderTheCommandsIdentifiers) {
  struct Case {
    bool (*step)(GatewayRequest &);
    const char *id, *text;
  } cases[] = {
      {[](GatewayRequest &r) { return r.acceptCall(0, 1); }, "readother:usage",
       "usage: x = readother (filename, opt)"},
      {[](GatewayRequest &r) { return r.acceptCall(3, 1); }, "readother:usage",
       "usage: x = readother (filename, opt)"},
      {[](GatewayRequest &r) { return r.acceptCall(2, 4); }, "readother:usage",
       "readother returns at most 3 results"},
      {[](GatewayRequest &r) { return r.acceptNameShape(false, 1); }, "readother:name",
       GatewayRequest::kNameNotARow},
      {[](GatewayRequest &r) { return r.acceptNameShape(true, 2); }, "readother:name",
       GatewayRequest::kNameNotARow},
      {[](GatewayRequest &r) {
         const char16_t wide[] = {u'a', 0, u'b'};  // MATLAB's characters
         return r.acceptNameChars(wide, 3);
       },
       "readother:name", GatewayRequest::kNameHoldsNul},
      {[](GatewayRequest &r) { return r.acceptName(nullptr, 0); }, "readother:name",
       GatewayRequest::kNameNotText},
  };
  for (const Case &c : cases) {
    GatewayRequest r(kOther);
    EXPECT_FALSE(c.step(r));
    expectError(r, c.id, c.text);
  }
  GatewayRequest ok(kOther);
  EXPECT_TRUE(ok.acceptCall(1, 0) && ok.acceptCall(2, 3) && ok.acceptNameShape(true, 0) &&
              ok.acceptNameChars("a.sol", 5) && ok.acceptName("a.sol", 5));
  EXPECT_FALSE(ok.failed());
  EXPECT_EQ("a.sol", ok.fileName());
  GatewayRequest one({"readvelsol", "sol = readvelsol (filename)", 1, 1, 1});
  EXPECT_FALSE(one.acceptCall(1, 2));
  expectError(one, "readvelsol:usage", "readvelsol returns one result");
}

TEST(GatewayRequest, WordsOpeningMemoryAndReaderFaults) {
  GatewayRequest missing(kOther);
  ASSERT_TRUE(missing.acceptName("/nonexistent/a.sol", 18));
  geomex::FileSource source;
  EXPECT_FALSE(missing.openFile(source));
  expectError(missing, "readother:open",
              "cannot open file '/nonexistent/a.sol': No such file or directory");

  GatewayRequest folder(kOther);
  ASSERT_TRUE(folder.acceptName("/", 1));
  geomex::FileSource again;
  EXPECT_FALSE(folder.openFile(again));
  expectError(folder, "readother:open", "file '/' is not a regular file");

  folder.failMemory();
  expectError(folder, "readother:memory", "out of memory for the results of '/'");
  folder.fail("readother:format", "line 3: no such block");
  expectError(folder, "readother:format", "line 3: no such block");
}

}  // namespace
