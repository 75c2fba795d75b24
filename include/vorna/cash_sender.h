/*
 * vorna.cash.sender: the interface a banking host calls, in plain C.
 *
 * Usable from C and C++ (every declaration is extern "C" in C++). On 32-bit
 * Windows every function uses the stdcall convention and is exported under
 * its plain name (sendCheque, not _sendCheque@28); elsewhere (the Linux build
 * used for tests) the plain C convention.
 *
 * Texts: 8-bit, NUL-terminated, Windows-1251 (the Russian ANSI code page), in
 * both directions.
 *
 * Threads: one call at a time. The library keeps its settings and log targets
 * for the whole process without locks; a host that calls from several threads
 * must let only one call run at any moment.
 *
 * Ownership:
 *   - pairs, their keys and values, and unc belong to the host and are only
 *     read during the call;
 *   - a result text (the const char** arguments) is a constant of the
 *     library, valid while the library is loaded: never free or change it;
 *   - the information text of checkInfoKKT is made for each call and belongs
 *     to the host: give it back with releaseInfoKKT (never with the host's own
 *     free). A host that never releases it only loses that memory.
 */
#ifndef VORNA_CASH_SENDER_H
#define VORNA_CASH_SENDER_H

#if defined(_WIN32) && !defined(_WIN64)
#define VORNA_CASH_CALL __stdcall
#else
#define VORNA_CASH_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One named parameter of a call: the key and its value. */
typedef struct VornaParameterPair {
    const char* key;
    const char* value;
} VornaParameterPair;

/* Result codes of every function. */
enum {
    VORNA_RESULT_SUCCESS = 0,             /* done; the text is empty */
    VORNA_RESULT_NOT_CONNECTED = 1,       /* the register cannot be reached */
    VORNA_RESULT_SHIFT_EXPIRED = 2,       /* the shift is older than 24 hours */
    VORNA_RESULT_SHIFT_CLOSED = 3,        /* the shift is closed */
    VORNA_RESULT_PAPER_OUT = 5,           /* no paper */
    VORNA_RESULT_SALE_RECEIPT_OPEN = 6,   /* a sale receipt is open */
    VORNA_RESULT_RETURN_RECEIPT_OPEN = 7, /* a return receipt is open */
    VORNA_RESULT_OTHER_ERROR = 99,        /* any other failure: see the logs */
    VORNA_RESULT_INVALID_PARAMETER = 100  /* the host passed a bad parameter */
};

/* The keys the library recognises (exact, case-sensitive; the last pair with
 * a key wins). Any other key is only written into the log. */

/* All functions with pairs: the settings code, which selects the file
 * vorna.cash.sender.<code>.ini; Latin letters, digits, "-" and "_", 1 to 64
 * characters. Any other code ends the call with 100. */
#define VORNA_KEY_IBS_CODE "IBS_CODE"
/* sendCheque: "P" a sale, "V" a return; absent or anything else gives 100. */
#define VORNA_KEY_TYPE_OPER "TYPE_OPER"
/* sendCheque: the service name, at most 128 bytes. */
#define VORNA_KEY_SHORT "SHORT"
/* sendCheque: the client's e-mail, or the phone when its first byte is
 * VORNA_CONTACT_PHONE_MARK. */
#define VORNA_KEY_CONTACT "CONTACT"
#define VORNA_CONTACT_PHONE_MARK '\x01'
/* sendCheque: "NAL" cash (the default), anything else cashless. */
#define VORNA_KEY_TYPE_OPL "TYPE_OPL"
/* sendCheque: the VAT code, default "1105"; one of 1102 1103 1104 1105 1106
 * 1107 2005 2007 2105 2107 2022 2122, anything else gives 100. */
#define VORNA_KEY_NDS_CODE "NDS_CODE"

/* Registers one payment as one fiscal receipt.
 *   unc        transfer number: printed on the receipt and logged; with print
 *              on it must hold no control characters, no tilde, no double
 *              quote and no backslash
 *   summa      the amount in kopecks (12345 is 123.45 roubles); 0 gives 100
 *   comis      the commission in kopecks: the driver keeps it, it is on no receipt
 *   pairs      the named parameters (VORNA_KEY_...); count of them in count
 *   resultText receives the code's text (a constant of the library); may be null
 *   print      non-zero: the receipt is printed; 0: electronic only
 * Returns a VORNA_RESULT_ code. */
int VORNA_CASH_CALL sendCheque(const char* unc, unsigned summa, unsigned comis,
                               const VornaParameterPair* pairs, int count, const char** resultText,
                               int print);

/* Checks that the register is reachable and its shift usable; no pairs, no
 * settings code. */
int VORNA_CASH_CALL checkKKT(const char** resultText);

/* The same check; the pairs may carry IBS_CODE. */
int VORNA_CASH_CALL checkLinkKKT(const char** resultText, const VornaParameterPair* pairs,
                                 int count);

/* The same check; *info receives a new text on every call and result, owned
 * by the host: release it with releaseInfoKKT after every call. With 0 it is
 * the register's information, with any other code it is empty (null only
 * when the library is out of memory). info may be null. */
int VORNA_CASH_CALL checkInfoKKT(const char** resultText, const VornaParameterPair* pairs,
                                 int count, char** info);

/* Frees a text that checkInfoKKT handed out; null is allowed and ignored. */
void VORNA_CASH_CALL releaseInfoKKT(char* info);

/* Closes the shift with a Z report; no result text. */
int VORNA_CASH_CALL zReport(const VornaParameterPair* pairs, int count);

/* Prints an X report (the shift stays open); no result text. */
int VORNA_CASH_CALL xReport(const VornaParameterPair* pairs, int count);

/* Pointer types for hosts that load the library at run time
 * (LoadLibrary and GetProcAddress with the plain names). */
typedef int(VORNA_CASH_CALL* VornaSendChequeFunction)(const char* unc, unsigned summa,
                                                      unsigned comis,
                                                      const VornaParameterPair* pairs, int count,
                                                      const char** resultText, int print);
typedef int(VORNA_CASH_CALL* VornaCheckKktFunction)(const char** resultText);
typedef int(VORNA_CASH_CALL* VornaCheckLinkKktFunction)(const char** resultText,
                                                        const VornaParameterPair* pairs, int count);
typedef int(VORNA_CASH_CALL* VornaCheckInfoKktFunction)(const char** resultText,
                                                        const VornaParameterPair* pairs, int count,
                                                        char** info);
typedef void(VORNA_CASH_CALL* VornaReleaseInfoKktFunction)(char* info);
typedef int(VORNA_CASH_CALL* VornaReportFunction)(const VornaParameterPair* pairs, int count);

#ifdef __cplusplus
}
#endif

#endif /* VORNA_CASH_SENDER_H */
