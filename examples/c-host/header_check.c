/* The host header compiled as strict C89 on every target: the one check that
 * a C (or Delphi-minded) host can include it as it is. */
#include "vorna/cash_sender.h"

/* The pair is two pointers, as every host language lays it out. */
typedef char pair_is_two_pointers[sizeof(VornaParameterPair) == 2 * sizeof(const char*) ? 1 : -1];

/* The declarations and the pointer types agree. */
static VornaSendChequeFunction send_cheque = sendCheque;
static VornaCheckKktFunction check_kkt = checkKKT;
static VornaCheckLinkKktFunction check_link_kkt = checkLinkKKT;
static VornaCheckInfoKktFunction check_info_kkt = checkInfoKKT;
static VornaReleaseInfoKktFunction release_info_kkt = releaseInfoKKT;
static VornaReportFunction x_report = xReport;
static VornaReportFunction z_report = zReport;

int vorna_header_check_codes(void);
int vorna_header_check_codes(void) {
    return (send_cheque != 0) + (check_kkt != 0) + (check_link_kkt != 0) +
           (check_info_kkt != 0) + (release_info_kkt != 0) + (x_report != 0) + (z_report != 0) +
           VORNA_RESULT_INVALID_PARAMETER + (int)sizeof(pair_is_two_pointers) +
           (int)sizeof(VORNA_KEY_IBS_CODE VORNA_KEY_TYPE_OPER VORNA_KEY_SHORT VORNA_KEY_CONTACT
                           VORNA_KEY_TYPE_OPL VORNA_KEY_NDS_CODE) +
           VORNA_CONTACT_PHONE_MARK;
}
