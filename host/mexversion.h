// Version entry exported by the reader module only.
#ifndef HOST_MEXVERSION_H
#define HOST_MEXVERSION_H

// Returns the static text "MATLAB 5 compatible"; does nothing else.
extern "C" const char *mexVersion(void);

#endif  // HOST_MEXVERSION_H
