/* A stand-in for the HART master library, loaded by tests in its place.
 *
 * Every call appends one line to the journal file named by the environment
 * variable FAKE_LINK_JOURNAL (no journal when it is unset), e.g.
 * "Configure 0 0 5 1 0 0 0 10 0", "Open 5", "Connect 0", "Close".
 * Open returns FAKE_LINK_OPEN_RESULT and Connect FAKE_LINK_CONNECT_RESULT
 * (both 0 when unset); everything else returns 0.
 *
 * Built with FAKE_LINK_PARTIAL it exports only Configure and Open, like a
 * library of the wrong version. */

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include "hartlink/hartlink.h"

#define FAKE_LINK_EXPORT __attribute__((visibility("default")))

static void journal(const char* format, ...) {
    const char* path = getenv("FAKE_LINK_JOURNAL");
    FILE* f;
    va_list args;
    if (path == NULL || *path == '\0') return;
    f = fopen(path, "a");
    if (f == NULL) return;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fputc('\n', f);
    fclose(f);
}

static int32_t resultFromEnv(const char* name) {
    const char* value = getenv(name);
    return value != NULL && *value != '\0' ? (int32_t)atoi(value) : HARTLINK_ERR_OK;
}

FAKE_LINK_EXPORT int32_t BaTinHrtCPr_Configure(uint8_t pollingAddress, uint8_t v2, uint8_t v3, uint8_t v4,
                                               uint8_t v5, uint8_t v6, uint16_t v7, uint16_t v8, uint16_t v9) {
    journal("Configure %u %u %u %u %u %u %u %u %u", pollingAddress, v2, v3, v4, v5, v6, v7, v8, v9);
    return HARTLINK_ERR_OK;
}

FAKE_LINK_EXPORT int32_t BaTinHrtCPr_Open(uint16_t portNumber) {
    journal("Open %u", portNumber);
    return resultFromEnv("FAKE_LINK_OPEN_RESULT");
}

#ifndef FAKE_LINK_PARTIAL

FAKE_LINK_EXPORT int32_t BaTinHrtCPr_Close(void) {
    journal("Close");
    return HARTLINK_ERR_OK;
}

FAKE_LINK_EXPORT int32_t BaTinHrtCPr_Connect(uint8_t* arg) {
    if (arg == NULL) {
        journal("Connect null");
    } else {
        journal("Connect %u", *arg);
    }
    return resultFromEnv("FAKE_LINK_CONNECT_RESULT");
}

FAKE_LINK_EXPORT int32_t BaTinHrtCPr_Disconnect(void) {
    journal("Disconnect");
    return HARTLINK_ERR_OK;
}

/* Journals the command and request bytes; answers with the request bytes
 * echoed back and both status bytes 0. */
FAKE_LINK_EXPORT int32_t BaTinHrtCPr_SendRequest(uint8_t command, uint8_t requestLength, const uint8_t* request,
                                                 uint8_t* responseLength, uint8_t* response, uint8_t* status1,
                                                 uint8_t* status2) {
    char bytes[3 * 256 + 1];
    int used = 0;
    unsigned i;
    bytes[0] = '\0';
    for (i = 0; i < requestLength && request != NULL; ++i) {
        used += snprintf(bytes + used, sizeof bytes - (size_t)used, " %02X", request[i]);
    }
    journal("SendRequest %u %u%s", command, requestLength, bytes);
    for (i = 0; i < requestLength && request != NULL && response != NULL; ++i) response[i] = request[i];
    if (responseLength != NULL) *responseLength = requestLength;
    if (status1 != NULL) *status1 = 0;
    if (status2 != NULL) *status2 = 0;
    return HARTLINK_ERR_OK;
}

FAKE_LINK_EXPORT int32_t BaTinHrtCPr_GetConnectionStatus(void) {
    journal("GetConnectionStatus");
    return HARTLINK_ERR_OK;
}

FAKE_LINK_EXPORT int32_t BaTinHrtCPr_GetComPortStatus(void) {
    journal("GetComPortStatus");
    return HARTLINK_ERR_OK;
}

FAKE_LINK_EXPORT int32_t BaTinHrtCPr_GetDevInfo(void) {
    journal("GetDevInfo");
    return HARTLINK_ERR_OK;
}

FAKE_LINK_EXPORT int32_t BaTinHrtCPr_ReadCurrPerc(void) {
    journal("ReadCurrPerc");
    return HARTLINK_ERR_OK;
}

#endif /* FAKE_LINK_PARTIAL */
