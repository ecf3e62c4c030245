# The one list of what makes each module, and the compiler flags every build
# uses.  Add a module or a source file here and nowhere else:
#
#   CMakeLists.txt       reads it (cmake/SourceList.cmake) for the libraries,
#                        the modules, their help files and the flags
#   packaging/Makefile   includes it (scripts/package.sh copies it into the
#                        Octave package) to build the modules at `pkg install`
#   scripts/package.sh   copies the folders it names and the modules' help
#                        texts into the package
#   docs/matlab.md       its `mex` recipe is written from it:
#                        `cmake -DUPDATE_DOCS=ON -P cmake/CheckSources.cmake`
#                        rewrites the recipe
#
# The test sources_list (cmake/CheckSources.cmake) fails when the recipe in
# docs/matlab.md is not the one this list gives, a .cpp file in a folder
# named here is in no list, a listed file is missing, or a module lacks a
# help text or its line in packaging/INDEX.
#
# Syntax: only `NAME := words` lines (a line may go on after a trailing \),
# comments and blank lines; no make functions, so that CMake and the shell
# can read it too.  Paths are relative to the top of the checkout.

# Every source includes the project's headers by their path from the top of
# the checkout ("core/records.h", "host/octgate.h"), so that each include
# names the folder it depends on: the top is the one include folder.
GEOMEX_INCLUDE := .

# --- Libraries --------------------------------------------------------------
# Code without the host API, linked into the modules and into the unit tests,
# fuzzers and benchmarks.  For each library L:
#   L_SOURCES   its .cpp files
#   L_LIBS      the libraries it uses in turn
#   L_SYSTEM_LIBS  system libraries it links, by their linker names (-lNAME;
#               CMakeLists.txt finds each through its find_package module)
GEOMEX_LIBRARIES := geomex_core ellipse_core reader_core velsol_core enu_core \
                    gateway_core sinex_core
# Libraries that start threads (they need the platform's thread library).
GEOMEX_THREADED_LIBRARIES := velsol_core enu_core sinex_core

# The shared core: opening files, record reading, number conversion and the
# geodetic conversion, used by every reader front end.
geomex_core_SOURCES := core/fields.cpp core/records.cpp core/sections.cpp \
                       core/xyz2llh.cpp core/fileopen.cpp core/bytesource.cpp \
                       core/linestream.cpp

# The ellipse routine of brisol.
ellipse_core_SOURCES := ellipse/brisol.cpp

# The legacy assembly of tosqumg, with its fixed tables.
reader_core_SOURCES := reader/tosqum.cpp reader/tosqum_file.cpp
reader_core_LIBS := geomex_core

# The reader without fixed limits: its assembly and the threaded correlation
# section.
velsol_core_SOURCES := velsol/velsol.cpp velsol/correlations.cpp
velsol_core_LIBS := geomex_core

# The SINEX reader: its blocks, the threaded matrix block, the site rows,
# and the decompression of gzip (zlib) and Unix compress (libarchive).  The
# Cholesky inverse of an INFO matrix (sinex/cholesky_inverse.cpp) calls
# LAPACK's dpotrf and dpotri with the host's integer width, so each module
# compiles it among its gateway's sources and takes the host's own LAPACK
# (the unit tests and fuzzers link the system's).
sinex_core_SOURCES := sinex/sinex_reader.cpp sinex/sinex_records.cpp \
                      sinex/matrix_block.cpp sinex/matrix_finish.cpp \
                      sinex/site_rows.cpp sinex/sinex_source.cpp \
                      sinex/gzip_decoder.cpp sinex/compress_decoder.cpp
sinex_core_LIBS := geomex_core
sinex_core_SYSTEM_LIBS := archive z

# The block-wise covariance rotation behind velsol2enu.
enu_core_SOURCES := enu/rotate_covariance.cpp enu/rotate_request.cpp

# What the gateways of a command that reads a file decide apart from the
# host: the checks of a call and of its file name, and the identifiers and
# texts of those refusals, of a file that cannot be opened and of results
# that do not fit in memory, so that a command's MEX and oct-file gateways
# agree (host/gateway_request.h).
gateway_core_SOURCES := host/gateway_request.cpp
gateway_core_LIBS := geomex_core

# --- Modules ----------------------------------------------------------------
# The commands.  For each module M (help/M.m and help/matlab/M.m are its help
# texts; packaging/INDEX must name it):
#   M_MEX   sources of its MEX gateway (mexFunction): built for MATLAB, and
#           for Octave as M.mex unless M_OCT is given too
#   M_OCT   sources of an Octave oct-file gateway (DEFUN_DLD): built for
#           Octave as M.oct in place of the MEX file
#   M_LIBS  the libraries above that it links
#   M_MATLAB_LIBS  libraries of MATLAB's own that its MATLAB build links
#           (found in MATLAB's folders; Octave provides the same symbols)
# A module needs M_MEX, M_OCT or both.  Where it has both, the MEX gateway
# is still built for Octave, as M.mex in <build>/mex-gateways/, so that it
# compiles and can be tested without MATLAB.
GEOMEX_MODULES := brisol tosqumg readvelsol readsinex

brisol_MEX := ellipse/brisol_gateway.cpp
brisol_LIBS := ellipse_core

tosqumg_MEX := reader/tosqumg_gateway.cpp host/mexversion.cpp
tosqumg_LIBS := reader_core

# An oct-file's built-in help is its help/M.m, compiled in as M_help.h
# (kHelpText): Octave shows an oct-file's own help, not a .m file's.
readvelsol_OCT := velsol/readvelsol_octave.cpp
readvelsol_MEX := velsol/readvelsol_mex.cpp
readvelsol_LIBS := velsol_core gateway_core

readsinex_OCT := sinex/readsinex_octave.cpp sinex/cholesky_inverse.cpp
readsinex_MEX := sinex/readsinex_mex.cpp sinex/cholesky_inverse.cpp
readsinex_LIBS := sinex_core gateway_core
# MATLAB's own LAPACK (64-bit integers), which its modules link by name.
readsinex_MATLAB_LIBS := mwlapack

# --- The toolbox --------------------------------------------------------------
# Functions written in the host's language, copied beside the modules
# (GEOMEX_TOOLBOX_PRIVATE into private/ below them, where only the
# toolbox's own functions see them), and compiled helpers of theirs, built
# like modules (M_OCT, M_MEX, M_LIBS) but into private/, without help texts
# or an INDEX line.
GEOMEX_TOOLBOX := toolbox/velsol2enu.m toolbox/writevelo.m toolbox/plotvelo.m \
                  toolbox/velomap.m toolbox/readvelo.m toolbox/eulerpole.m \
                  toolbox/platevel.m toolbox/platefix.m toolbox/platemodel.m \
                  toolbox/writesinex.m
GEOMEX_TOOLBOX_PRIVATE := toolbox/private/check_enu.m toolbox/private/enurotate_ref.m \
                          toolbox/private/parse_options.m \
                          toolbox/private/strings_to_chars.m \
                          toolbox/private/check_positions.m toolbox/private/gmt_text.m \
                          toolbox/private/map_frame.m \
                          toolbox/private/nearest_spacing.m toolbox/private/plot_text.m \
                          toolbox/private/run_program.m toolbox/private/thin_labels.m \
                          toolbox/private/sincosd.m toolbox/private/station_frames.m \
                          toolbox/private/ellipse_stats.m toolbox/private/plate_design.m \
                          toolbox/private/plate_prediction.m toolbox/private/plate_rows.m \
                          toolbox/private/check_pole.m toolbox/private/pole_summary.m \
                          toolbox/private/plate_model_data.m toolbox/private/relative_text.m
GEOMEX_PRIVATE_MODULES := enurotate

enurotate_OCT := enu/enu_rotate_oct.cpp
enurotate_MEX := enu/enu_rotate_mex.cpp
enurotate_LIBS := enu_core

# --- Flags ------------------------------------------------------------------
# Results must match the legacy arithmetic bit for bit: IEEE operations
# exactly as written, never contracted into fused multiply-adds, no
# fast-math, and no host-specific instruction sets (-march=native,
# /arch:AVX2).  Only the host entry points are exported.
GEOMEX_CXX_STANDARD := 17
# The MATLAB API the MEX gateways are built against: the separate-complex
# API, where mxGetPr of a complex array gives its real parts.
GEOMEX_MATLAB_API := R2017b

# GCC and Clang (and mkoctfile, which runs one of them).
GEOMEX_GNU_FLAGS := -ffp-contract=off -fno-fast-math \
                    -fvisibility=hidden -fvisibility-inlines-hidden
GEOMEX_GNU_WARNINGS := -Wall -Wextra
GEOMEX_GNU_WERROR := -Werror
# Added for the sources of oct-file gateways (M_OCT): Octave's DEFUN_DLD
# does not mark its entry point exported where Octave was built without
# visibility flags (Debian's Octave 7), so those files keep the default
# visibility.  The libraries they link stay hidden; keep a gateway's own
# helpers in an anonymous namespace.
GEOMEX_GNU_OCT_FLAGS := -fvisibility=default

# Microsoft Visual C++.  /fp:precise keeps the operations as written; never
# /fp:fast or /fp:contract, which let the compiler fuse a*b+c.
GEOMEX_MSVC_FLAGS := /fp:precise /D_CRT_SECURE_NO_WARNINGS
GEOMEX_MSVC_WARNINGS := /W4
GEOMEX_MSVC_WERROR := /WX
# clang-cl takes the MSVC flags, but reads /fp:precise as leave to fuse a*b+c
# where the target has FMA (/arch:AVX2); this keeps it from doing so.
GEOMEX_CLANG_CL_FLAGS := /clang:-ffp-contract=off
