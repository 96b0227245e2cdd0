/* Reads command 0 (through Connect) and command 13 of the device on COM<n>
 * through the C entry points of hartlink.dll, linked against its import
 * library, and prints both answers. Run under wine by
 * scripts/check-windows.sh, which compares the frames on the line with
 * those of hartcmd. Usage: read_identity [port number, default 5]. */

#include <stdio.h>
#include <stdlib.h>

#include "hartlink/hartlink.h"

/* The entry points, declared from the header's own types. */
#define HARTLINK_IMPORT(name) extern __declspec(dllimport) __typeof__(*(name##_t)0) name
HARTLINK_IMPORT(BaTinHrtCPr_Open);
HARTLINK_IMPORT(BaTinHrtCPr_Close);
HARTLINK_IMPORT(BaTinHrtCPr_Connect);
HARTLINK_IMPORT(BaTinHrtCPr_GetIdentity);
HARTLINK_IMPORT(BaTinHrtCPr_SendRequest);
HARTLINK_IMPORT(BaTinHrtCPr_GetLastErrorText);

static void printData(int command, const uint8_t* data, unsigned length) {
    printf("Command %d: %u data bytes:", command, length);
    for (unsigned i = 0; i < length; ++i) printf(" %02X", data[i]);
    printf("\n");
}

static int failed(const char* what, int32_t result) {
    fprintf(stderr, "read_identity: %s returned %d: %s\n", what, (int)result,
            BaTinHrtCPr_GetLastErrorText());
    BaTinHrtCPr_Close();
    return 1;
}

int main(int argc, char** argv) {
    const uint16_t port = (uint16_t)(argc > 1 ? atoi(argv[1]) : 5);
    int32_t result = BaTinHrtCPr_Open(port);
    if (result != HARTLINK_ERR_OK) return failed("Open", result);
    result = BaTinHrtCPr_Connect(NULL);
    if (result != HARTLINK_ERR_OK) return failed("Connect", result);
    uint8_t data[255];
    uint8_t length = sizeof data;
    result = BaTinHrtCPr_GetIdentity(&length, data);
    if (result != HARTLINK_ERR_OK) return failed("GetIdentity", result);
    printData(0, data, length);

    uint8_t status1 = 0;
    uint8_t status2 = 0;
    length = 0; /* any length */
    result = BaTinHrtCPr_SendRequest(13, 0, NULL, &length, data, &status1, &status2);
    if (result != HARTLINK_ERR_OK) return failed("SendRequest(13)", result);
    printf("Response code %u, device status 0x%02X\n", status1, status2);
    printData(13, data, length);
    BaTinHrtCPr_Close();
    return status1 == 0 ? 0 : 1;
}
