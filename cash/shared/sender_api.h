// The exported interface of vorna.cash.sender as a host sees it: the parameter
// pair, the six functions and the types of pointers to them. The build
// defines VORNA_STDCALL as the stdcall convention for 32-bit Windows and as
// nothing elsewhere.
#pragma once

#ifndef VORNA_STDCALL
#error "VORNA_STDCALL must be defined by the build (target vorna_sender_api)"
#endif

namespace vorna {
namespace cash {

// One named parameter of the host: key and value, NUL-terminated Windows-1251.
struct ParameterPair {
    const char* key;
    const char* value;
};

}  // namespace cash
}  // namespace vorna

extern "C" {

using SendChequeFunction = int(VORNA_STDCALL*)(const char* unc, unsigned summa, unsigned comis,
                                               const vorna::cash::ParameterPair* pairs, int count,
                                               const char** resultText, int print);
using CheckKktFunction = int(VORNA_STDCALL*)(const char** resultText);
using CheckLinkKktFunction = int(VORNA_STDCALL*)(const char** resultText,
                                                 const vorna::cash::ParameterPair* pairs,
                                                 int count);
using CheckInfoKktFunction = int(VORNA_STDCALL*)(const char** resultText,
                                                 const vorna::cash::ParameterPair* pairs, int count,
                                                 char** info);
using ReportFunction = int(VORNA_STDCALL*)(const vorna::cash::ParameterPair* pairs, int count);

int VORNA_STDCALL sendCheque(const char* unc, unsigned summa, unsigned comis,
                             const vorna::cash::ParameterPair* pairs, int count,
                             const char** resultText, int print);
int VORNA_STDCALL checkKKT(const char** resultText);
int VORNA_STDCALL checkLinkKKT(const char** resultText, const vorna::cash::ParameterPair* pairs,
                               int count);
int VORNA_STDCALL checkInfoKKT(const char** resultText, const vorna::cash::ParameterPair* pairs,
                               int count, char** info);
int VORNA_STDCALL zReport(const vorna::cash::ParameterPair* pairs, int count);
int VORNA_STDCALL xReport(const vorna::cash::ParameterPair* pairs, int count);
}
