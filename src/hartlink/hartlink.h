#pragma once
/* The C interface of the HART master library (libhartlink). The program
 * loads the library from its own directory at start and binds these entry
 * points by name; every call returns a 32-bit result, 0 meaning success.
 *
 * Results: 0 ERR_OK; 1 invalid handle; 2 resource error; 3 communication
 * error (also a response of the wrong length); 4 no device response;
 * 5..10 other errors. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define HARTLINK_ERR_OK 0
#define HARTLINK_ERR_INVALID_HANDLE 1
#define HARTLINK_ERR_RESOURCE 2
#define HARTLINK_ERR_COMMUNICATION 3
#define HARTLINK_ERR_NO_RESPONSE 4

typedef int32_t (*BaTinHrtCPr_Configure_t)(uint8_t pollingAddress, uint8_t v2, uint8_t v3, uint8_t v4,
                                           uint8_t v5, uint8_t v6, uint16_t v7, uint16_t v8, uint16_t v9);
typedef int32_t (*BaTinHrtCPr_Open_t)(uint16_t portNumber);
typedef int32_t (*BaTinHrtCPr_Close_t)(void);
typedef int32_t (*BaTinHrtCPr_Connect_t)(uint8_t* arg);
typedef int32_t (*BaTinHrtCPr_Disconnect_t)(void);
typedef int32_t (*BaTinHrtCPr_SendRequest_t)(uint8_t command, uint8_t requestLength, const uint8_t* request,
                                             uint8_t* responseLength, uint8_t* response, uint8_t* status1,
                                             uint8_t* status2);
typedef int32_t (*BaTinHrtCPr_GetConnectionStatus_t)(void);
typedef int32_t (*BaTinHrtCPr_GetComPortStatus_t)(void);
typedef int32_t (*BaTinHrtCPr_GetDevInfo_t)(void);
typedef int32_t (*BaTinHrtCPr_ReadCurrPerc_t)(void);

/* Extension of this library: names the port behind a port number before
 * Open. "Sim" is the built-in device simulator, "ComN" the platform's N-th
 * serial port, anything else a device path ("/dev/ttyUSB0", "/dev/pts/3").
 * A number that was never named opens "ComN". Returns 0. */
typedef int32_t (*BaTinHrtCPr_SetPortName_t)(uint16_t portNumber, const char* name);
/* Extension: the text of the last error (port missing, busy, not permitted,
 * time-out ...), for messages and logs. The pointer stays valid until the
 * next call into the library. */
typedef const char* (*BaTinHrtCPr_GetLastErrorText_t)(void);

#ifdef __cplusplus
}
#endif
