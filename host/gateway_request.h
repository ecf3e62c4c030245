// What the gateways of a command that reads one file decide, apart from the
// host: whether a call and its file-name argument are acceptable, how a file
// that cannot be opened and results that do not fit in memory are worded,
// and under which identifier.  A command's MEX gateway and its oct-file
// gateway both go through one GatewayRequest, so that they refuse the same
// calls with the same identifiers and texts: each gateway only turns its
// host's arrays into the plain values asked for here, and raises what it is
// given.  No host type appears here; any command can use it, with its own
// name in its identifiers.
//
// A gateway, for each call:
//   1. acceptCall(number of arguments, number of results asked for)
//   2. acceptNameShape(the argument is a character array, its rows), then
//      acceptNameChars(its characters), then acceptName(them as text in the
//      host's encoding); the name is fileName() from then on
//   3. openFile(source)
//   4. reads; a fault of its reader goes to fail(id, text), results that do
//      not fit in memory to failMemory()
// and as soon as a step returns false (or failed() is true after 4) raises
// errorId() with errorText().  The oct-file gateway raises
// "<command>: <text>", as Octave's MEX host words a MEX file's error; the
// MEX gateway raises the text alone (Octave puts the name in front, MATLAB
// does not).  Each host's side of this (step 2 from the host's argument,
// raising the error, and for MEX files keeping it past the frame and making
// room for Octave's copy of the results) is written once, in
// host/octrequest.h and host/mexrequest.h; velsol/readvelsol_octave.cpp and
// velsol/readvelsol_mex.cpp show a whole call.
//
// The identifiers a GatewayRequest words itself, "<command>:<mnemonic>":
//   usage    a wrong number of arguments or too many results
//            ("usage: <usage>", "<command> returns one result")
//   name     the file name is not a one-row character array, holds a NUL or
//            cannot be converted to text ("FILENAME must be ...")
//   open     "cannot open file 'NAME': <the system's reason>", or
//            "file 'NAME' is not a regular file"
//   memory   "out of memory for the results of 'NAME'"
// A reader's own faults keep the identifiers the reader gives them.
#ifndef HOST_GATEWAY_REQUEST_H
#define HOST_GATEWAY_REQUEST_H

#include <cstddef>
#include <string>

#include "core/bytesource.h"

namespace geomex {

// A command as its gateways present it.  The file name is its first
// argument.
struct GatewayCommand {
  const char *name;   // "readvelsol": the identifiers' component
  const char *usage;  // its call form, "sol = readvelsol (filename)"
  int minArguments;   // arguments it takes, at least 1
  int maxArguments;
  int maxResults;     // results it gives, at least 1
};

class GatewayRequest {
 public:
  explicit GatewayRequest(const GatewayCommand &command) noexcept;

  // The number of arguments and the number of results asked for (a call
  // that asks for none, `f (x)`, gets one all the same).
  bool acceptCall(int arguments, int results);

  // The file name's argument: whether it is a character array, and its
  // first dimension.  One row with any further dimensions is a name: a
  // 1 x n x m array is the name made of its n m characters.
  bool acceptNameShape(bool isText, std::size_t rows);

  // Its characters (code units of the host's character type) in the host's
  // column-major order: no NUL may be among them, since a name cut at one
  // could open another file.
  template <typename Char>
  bool acceptNameChars(const Char *chars, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k)
      if (chars[k] == 0) return refuseName(kNameHoldsNul);
    return true;
  }

  // The name as text in the host's encoding; `text` null when the host could
  // not convert it.
  bool acceptName(const char *text, std::size_t length);

  // Opens fileName() in `source`.
  bool openFile(FileSource &source);

  // A fault found while reading, with the reader's identifier.
  void fail(const char *id, const std::string &text);
  // The results do not fit in memory.  Keeps a text without the file name
  // when even that cannot be allocated.
  void failMemory() noexcept;

  bool failed() const noexcept { return id_[0] != '\0'; }
  const char *errorId() const noexcept { return id_; }
  const char *errorText() const noexcept;
  const std::string &fileName() const noexcept { return name_; }
  const GatewayCommand &command() const noexcept { return command_; }

  // The texts of a refused file name.
  static const char *const kNameNotARow;
  static const char *const kNameHoldsNul;
  static const char *const kNameNotText;

 private:
  bool refuse(const char *mnemonic, const std::string &text);  // always false
  bool refuseName(const char *text) { return refuse("name", text); }

  const GatewayCommand command_;  // a copy: callers may pass a temporary
  char id_[96] = {};  // "<command>:<mnemonic>"; a fixed buffer, see failMemory
  std::string text_;
  const char *fixedText_ = nullptr;  // in place of text_ when that failed
  std::string name_;
};

// Threads for a reader's parallel part: the machine's cores, at most eight
// (reading is bound by memory beyond that).  Results do not depend on it.
unsigned readerThreads() noexcept;

}  // namespace geomex

#endif  // HOST_GATEWAY_REQUEST_H
