#pragma once
/* The C interface of the HART master library (libhartlink). The program
 * loads the library from its own directory at start and binds these entry
 * points by name; every call returns a 32-bit result, 0 meaning success.
 *
 * Results: 0 ERR_OK; 1 invalid handle; 2 resource error; 3 communication
 * error (also a response of the wrong length); 4 no device response;
 * 5..10 other errors.
 *
 * In detail:
 *   0 ERR_OK
 *   1 INVALID_HANDLE    called in the wrong state: Connect before Open,
 *                       SendRequest before a successful Connect, any call
 *                       from inside the wait callback.
 *   2 RESOURCE          the port cannot be opened (missing, in use, not
 *                       permitted, not a serial port, simulator options
 *                       invalid) or failed while in use.
 *   3 COMMUNICATION     something answered, but no valid response arrived
 *                       within the retries: bad check byte, broken frame,
 *                       the device reported a communication error (first
 *                       status byte with bit 7 set), command 0 refused;
 *                       or the line, shared with other masters and burst
 *                       devices, never gave a turn to send (line busy).
 *                       A response of the wrong length is not judged here:
 *                       SendRequest returns 0 with the received length, and
 *                       the caller, which knows what it expected, decides.
 *   4 NO_RESPONSE       the line stayed silent in every try.
 *   5 INVALID_ARGUMENT  a null pointer, a length or a Configure value out of
 *                       range; nothing was done.
 *   6 NOT_SUPPORTED     an entry point this library does not implement.
 *   7 DISCONNECTED      the port went away while open (a USB modem
 *                       unplugged, the far end of a pseudo-terminal
 *                       closed); Connect and SendRequest fail so until
 *                       the port is opened again.
 *   8..10               not used.
 * BaTinHrtCPr_GetLastErrorText() says in words what went wrong.
 *
 * Order of use: Configure, SetPortName (for ports that are not "ComN"),
 * Open, Connect, any number of SendRequest, Disconnect, Close. Calls block;
 * call from one thread. The library is a HART primary (or secondary) master
 * at 1200 bit/s, 8 data bits, odd parity, 1 stop bit. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define HARTLINK_ERR_OK 0
#define HARTLINK_ERR_INVALID_HANDLE 1
#define HARTLINK_ERR_RESOURCE 2
#define HARTLINK_ERR_COMMUNICATION 3
#define HARTLINK_ERR_NO_RESPONSE 4
#define HARTLINK_ERR_INVALID_ARGUMENT 5
#define HARTLINK_ERR_NOT_SUPPORTED 6

/* Sets how the master talks; takes effect at once, also on an open port.
 * A value out of range returns 5 and changes nothing.
 *   pollingAddress  device polling address, 0..63 (HART 5 devices: 0..15).
 *                   Changing it forgets the device found by Connect.
 *   v2  master kind: 0 secondary master, non-zero primary master (the
 *       address bit 7 of every request, and the quiet time RT1 it keeps
 *       after an unanswered request or on a line it does not know: 33
 *       character times for a primary, 41 for a secondary master).
 *   v3  preambles (0xFF) before each request: 2..20; 0 means 5.
 *   v4  retries after the first try of one exchange: 0..10. A silent line,
 *       a broken answer, a communication-error answer and a busy (32) or
 *       delayed-response (33, 34, 36) answer are retried; any other
 *       response code (64 not implemented, 35 delayed response dead ...)
 *       is an answer and ends the exchange.
 *   v5  non-zero: after Connect, send as many preambles as the device
 *       asks for in its command-0 answer (byte 3), at least 5, instead of
 *       v3 (which then serves command 0 of Connect, to a device whose needs
 *       are not known yet); 0: always v3.
 *   v6  0: raise RTS while sending and drop it once the last bit has left
 *       (RTS-keyed HART modems); non-zero: leave RTS alone (self-keying
 *       modems). Ports without modem lines (pseudo-terminals) ignore it.
 *   v7  response time-out in ms: how long to wait for the start of an
 *       answer. 0: the standard, the slave time-out of 28 character times
 *       plus one character to receive and 20 ms for the port driver.
 *   v8  gap time-out in character times (0..1000): a frame whose next byte
 *       is this long overdue is given up; 0 means 8 (the link grant time);
 *       20 ms for the port driver are added.
 *   v9  reserved, must be 0.
 * The connection probe passes (address, 2, 5, 0, 0, 0, 0, 10, 0), a session
 * (address, 2, 20, 0, 1, 0, override, 10, 0): the program counts its tries
 * itself. Before any Configure the
 * library works as if given (0, 1, 5, 2, 1, 0, 0, 0, 0). */
typedef int32_t (*BaTinHrtCPr_Configure_t)(uint8_t pollingAddress, uint8_t v2, uint8_t v3,
                                           uint8_t v4, uint8_t v5, uint8_t v6, uint16_t v7,
                                           uint16_t v8, uint16_t v9);
/* Opens the port behind a port number (see SetPortName); an open port is
 * closed first. Input left over on the line is discarded. Returns 0, or 2
 * with the reason in GetLastErrorText (missing, busy, not permitted ...). */
typedef int32_t (*BaTinHrtCPr_Open_t)(uint16_t portNumber);
/* Forgets the device and closes the port. Always 0. */
typedef int32_t (*BaTinHrtCPr_Close_t)(void);
/* Sends command 0 as a short frame to the polling address and learns the
 * device's long address from the answer (byte 1: manufacturer ID or
 * expanded device type, byte 2: device type, bytes 9..11: device ID).
 * `arg` is reserved: it may be null, its value is ignored and it is never
 * written. Returns 0, 1 (port not open), 2 (port failed), 3 or 4. */
typedef int32_t (*BaTinHrtCPr_Connect_t)(uint8_t* arg);
/* Forgets the device; the port stays open. Always 0. */
typedef int32_t (*BaTinHrtCPr_Disconnect_t)(void);
/* One request and its answer: a long frame to the device found by Connect
 * (command 0 goes as a short frame to the polling address, which every
 * device answers). The answer must echo the command and the address sent.
 * A request never goes out into a frame still arriving (the burst of a
 * device in burst mode): the library lets that frame end, then sends; with
 * no input pending it sends at once. Frames that are no answer to us are
 * skipped.
 *   request         requestLength bytes (may be null when the length is 0).
 *   responseLength  in: the data length the caller expects (0: any);
 *                   out: the data length received (the two status bytes
 *                   not counted). A different length is not an error here:
 *                   the caller compares.
 *   response        receives the data: at most the expected length when it
 *                   is not 0, otherwise all of it (up to 253 bytes).
 *   status1         the response code (first status byte).
 *   status2         the field device status (second status byte).
 * Returns 0 when a valid answer arrived; that includes an answer with a
 * non-zero response code, e.g. 32 busy still after the last retry, or 64
 * command not implemented. On any other result nothing is written. */
typedef int32_t (*BaTinHrtCPr_SendRequest_t)(uint8_t command, uint8_t requestLength,
                                             const uint8_t* request, uint8_t* responseLength,
                                             uint8_t* response, uint8_t* status1, uint8_t* status2);
/* 0 when a device was found by Connect and the port is open, else 1. */
typedef int32_t (*BaTinHrtCPr_GetConnectionStatus_t)(void);
/* 0 when a port is open, else 1. (So after a failed Open, 1.) */
typedef int32_t (*BaTinHrtCPr_GetComPortStatus_t)(void);
/* 0 when the device identity from Connect is known, else 1. */
typedef int32_t (*BaTinHrtCPr_GetDevInfo_t)(void);
/* Not implemented: returns 6. */
typedef int32_t (*BaTinHrtCPr_ReadCurrPerc_t)(void);

/* Extension of this library: names the port behind a port number before
 * Open. "Sim" is the built-in device simulator, "ComN" the platform's N-th
 * serial port, anything else a device path ("/dev/ttyUSB0", "/dev/pts/3"; on
 * Windows a device name such as "\\.\CNCA0").
 * A number that was never named opens "ComN". Returns 0.
 *
 * Details: "ComN" (any case, N = 1..256) is "/dev/ttyS<N-1>", on Windows
 * "COMN". "Sim" may carry the simulator's options after a colon
 * ("Sim:presence=display"); without them the environment variable
 * HARTSIM_OPTIONS is used. Port number 0 has no default: a program whose
 * port name has no number ("Sim", "/dev/ttyUSB0" both count as 0) names it
 * with SetPortName(0, ...) in every process that opens it. An empty name forgets the naming; a
 * null name returns 5. */
typedef int32_t (*BaTinHrtCPr_SetPortName_t)(uint16_t portNumber, const char* name);
/* Extension: the text of the last error (port missing, busy, not permitted,
 * time-out ...), for messages and logs. The pointer stays valid until the
 * next call into the library. After a call that succeeded only after
 * retries, it tells what went wrong before; after a clean success it is
 * empty. */
typedef const char* (*BaTinHrtCPr_GetLastErrorText_t)(void);
/* Extension: a function the library calls with `context` while a call waits
 * on the line (for an answer, or for a request to leave the port), with
 * waits of at most `sliceMs` ms (1..1000) in between. A program with a
 * window serves its events there, so the window answers during an exchange
 * instead of after it. The callback must not call the library: an entry
 * point called from inside it returns 1 and does nothing (it would put a
 * second exchange on the line in the middle of the first). A null callback
 * removes it; waits then block. Returns 0, or 5 for a slice out of range. */
typedef void (*BaTinHrtCPr_WaitCallback_t)(void* context);
typedef int32_t (*BaTinHrtCPr_SetWaitCallback_t)(BaTinHrtCPr_WaitCallback_t callback, void* context,
                                                 uint16_t sliceMs);

/* Extension: a function the library calls with `context` for every frame
 * it puts on the line (`sent` non-zero) or takes from it, preambles
 * included; `note` says why a received frame was not taken ("" when it
 * was, or for a sent frame). A frame that broke off comes with length 0.
 * The bytes are valid only during the call. The same rule as for the wait
 * callback holds: it must not call the library. A null callback removes
 * it. Returns 0. */
typedef void (*BaTinHrtCPr_FrameCallback_t)(void* context, int32_t sent, const uint8_t* bytes,
                                            uint16_t length, const char* note);
typedef int32_t (*BaTinHrtCPr_SetFrameCallback_t)(BaTinHrtCPr_FrameCallback_t callback,
                                                  void* context);

/* Extension: the data of the command-0 answer of the last successful
 * Connect (the device's identity: 12 bytes for HART 5, more for HART 6 and
 * 7), so that a program need not ask for it again. `length` in: the room in
 * `data` (bytes); out: the number of bytes written. At most the room is
 * written; a program that gives 255 bytes of room gets all of it. Returns 0,
 * 1 when no device is connected (nothing written), 5 for a null pointer. */
typedef int32_t (*BaTinHrtCPr_GetIdentity_t)(uint8_t* length, uint8_t* data);

#ifdef __cplusplus
}
#endif
