#include "host/gateway_request.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>

#include "core/fileopen.h"

namespace geomex {

const char *const GatewayRequest::kNameNotARow = "FILENAME must be a one-row character string";
const char *const GatewayRequest::kNameHoldsNul = "FILENAME must not contain NUL characters";
const char *const GatewayRequest::kNameNotText = "FILENAME cannot be converted to text";

namespace {

// What stands in for the memory error's text when even that cannot be
// allocated.
const char kMemoryText[] = "out of memory for the results";

std::string resultCount(int results) {
  return results == 1 ? std::string("one result") : std::to_string(results) + " results";
}

}  // namespace

GatewayRequest::GatewayRequest(const GatewayCommand &command) noexcept : command_(command) {}

bool GatewayRequest::refuse(const char *mnemonic, const std::string &text) {
  std::snprintf(id_, sizeof id_, "%s:%s", command_.name, mnemonic);
  text_ = text;
  fixedText_ = nullptr;
  return false;
}

bool GatewayRequest::acceptCall(int arguments, int results) {
  if (arguments < command_.minArguments || arguments > command_.maxArguments)
    return refuse("usage", std::string("usage: ") + command_.usage);
  if (results > command_.maxResults)
    return refuse("usage", std::string(command_.name) + " returns " +
                               (command_.maxResults == 1 ? "" : "at most ") +
                               resultCount(command_.maxResults));
  return true;
}

bool GatewayRequest::acceptNameShape(bool isText, std::size_t rows) {
  if (!isText || rows > 1) return refuseName(kNameNotARow);
  return true;
}

bool GatewayRequest::acceptName(const char *text, std::size_t length) {
  if (!text) return refuseName(kNameNotText);
  name_.assign(text, length);
  return true;
}

bool GatewayRequest::openFile(FileSource &source) {
  int error = 0;
  const OpenResult how = source.open(name_.c_str(), &error);
  if (how == OpenResult::kOpened) return true;
  if (how == OpenResult::kNotRegular)
    return refuse("open", "file '" + name_ + "' is not a regular file");
  return refuse("open", "cannot open file '" + name_ + "': " +
                            (error ? std::strerror(error) : describe(how)));
}

void GatewayRequest::fail(const char *id, const std::string &text) {
  std::snprintf(id_, sizeof id_, "%s", id);
  text_ = text;
  fixedText_ = nullptr;
}

void GatewayRequest::failMemory() noexcept {
  std::snprintf(id_, sizeof id_, "%s:memory", command_.name);
  try {
    text_ = std::string(kMemoryText) + " of '" + name_ + "'";
    fixedText_ = nullptr;
  } catch (const std::bad_alloc &) {
    fixedText_ = kMemoryText;
  }
}

const char *GatewayRequest::errorText() const noexcept {
  return fixedText_ ? fixedText_ : text_.c_str();
}

unsigned readerThreads() noexcept {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::max(1u, std::min(cores, 8u));
}

}  // namespace geomex
