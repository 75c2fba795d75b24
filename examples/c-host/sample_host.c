/*
 * sample_host: the smallest banking host of vorna.cash.sender, in C.
 *
 *   sample_host [UNC [KOPECKS]]     (defaults: 4711 and 12345, i.e. 123.45 RUB)
 *
 * It checks the register and prints its information, then registers one
 * payment (a sale, "Услуга", VAT code 1105, cash, commission 15.00, printed)
 * and tells what the result asks of the cashier. The exit code is the result
 * code of the last call.
 *
 * Texts: the library takes and gives Windows-1251. This file is UTF-8 and its
 * Russian literals become Windows-1251 bytes by the compiler's execution
 * character set:
 *   GCC, MinGW:  -finput-charset=UTF-8 -fexec-charset=CP1251
 *   Visual C++:  /source-charset:utf-8 /execution-charset:windows-1251
 * (Clang has no such option: convert at run time with MultiByteToWideChar
 * (CP_UTF8) and WideCharToMultiByte(1251), or write the bytes, "\xD3\xF1...").
 * Texts of the library are printed as they come: on a Russian Windows console
 * (code page 866) call SetConsoleOutputCP(1251) first.
 *
 * Build (MinGW, 32-bit): gcc -m32 -fexec-charset=CP1251 sample_host.c
 *   -I<package>/include <package>/vorna.cash.sender.dll -Wl,--enable-stdcall-fixup
 *   -o sample_host.exe
 * or load the library at run time with LoadLibraryA and GetProcAddress and
 * the Vorna...Function pointer types of the header.
 */
#include <stdio.h>
#include <stdlib.h>

#include "vorna/cash_sender.h"

/* What a result asks of the cashier (the texts for the host come from the
 * library; this is the host's own advice). */
static const char* advice(int code) {
    switch (code) {
        case VORNA_RESULT_SUCCESS:
            return "done";
        case VORNA_RESULT_NOT_CONNECTED:
            return "switch the register on, check its cable or network, then repeat";
        case VORNA_RESULT_SHIFT_EXPIRED:
            return "close the shift with a Z report, then repeat";
        case VORNA_RESULT_SHIFT_CLOSED:
            return "open the shift (answer Yes), then repeat";
        case VORNA_RESULT_PAPER_OUT:
            return "load paper, then repeat";
        case VORNA_RESULT_SALE_RECEIPT_OPEN:
        case VORNA_RESULT_RETURN_RECEIPT_OPEN:
            return "a receipt is open on the register: call support";
        case VORNA_RESULT_INVALID_PARAMETER:
            return "the host passed a bad parameter: fix the host, do not repeat as is";
        default:
            return "see the logs; check the register's last receipt before repeating";
    }
}

int main(int argc, char** argv) {
    const char* unc = argc > 1 ? argv[1] : "4711";
    unsigned summa = argc > 2 ? (unsigned)strtoul(argv[2], NULL, 10) : 12345u;
    VornaParameterPair pairs[4];
    const char* text = NULL;
    char* info = NULL;
    int code;

    pairs[0].key = VORNA_KEY_TYPE_OPER;
    pairs[0].value = "P";
    pairs[1].key = VORNA_KEY_SHORT;
    pairs[1].value = "Услуга"; /* Windows-1251 by -fexec-charset=CP1251 */
    pairs[2].key = VORNA_KEY_NDS_CODE;
    pairs[2].value = "1105";
    pairs[3].key = VORNA_KEY_TYPE_OPL;
    pairs[3].value = "NAL";

    code = checkInfoKKT(&text, NULL, 0, &info);
    printf("checkInfoKKT: %d (%s)\n", code, advice(code));
    if (info != NULL && info[0] != '\0') printf("register: %s\n", info);
    /* The text is ours after every result (empty unless 0): give it back. */
    releaseInfoKKT(info);
    if (code != VORNA_RESULT_SUCCESS) return code;

    code = sendCheque(unc, summa, 1500u, pairs, (int)(sizeof pairs / sizeof pairs[0]), &text, 1);
    printf("sendCheque: %d (%s)\n", code, advice(code));
    /* text is a constant of the library: never freed */
    return code;
}
