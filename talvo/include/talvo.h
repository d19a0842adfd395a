/* talvo: Modbus TCP client.
 *
 * Results of the table calls: 0 success, -1 to -14 the library's own codes
 * (TALVOGetErrorDescription gives their texts), a positive number is the Modbus
 * exception code returned by the device or gateway. The one-shot calls return
 * true on success. Nothing is thrown across this interface.
 *
 * Every buffer belongs to the caller and is not kept after a call returns.
 * A Response buffer must hold 1017 bytes: an answer PDU can be that long and no
 * capacity argument exists. Calls on the connection table belong to one thread.
 */
#ifndef TALVO_H
#define TALVO_H

#include <stdbool.h>
#include <stdint.h>

#if defined(__GNUC__)
#define TALVO_API __attribute__((visibility("default")))
#else
#define TALVO_API
#endif

/* In C++ the calls are noexcept. */
#ifdef __cplusplus
#define TALVO_NOEXCEPT noexcept
#else
#define TALVO_NOEXCEPT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Connection table: entries 0 to 100. */

/* Connects the entry to Host (dotted IPv4 address) and Port. -6 bad index, -7 entry in
 * use, -8 connection failed (the entry stays in use until TALVOClose). */
TALVO_API int32_t TALVOAdd(int32_t Index, const char* Host, uint16_t Port) TALVO_NOEXCEPT;
/* Closes and empties the entry. -6, -10 empty entry, -14 closing failed. */
TALVO_API int32_t TALVOClose(int32_t Index) TALVO_NOEXCEPT;
/* Closes the entry and connects it again to its host and port; TALVOAdd's result. */
TALVO_API int32_t TALVOReinit(int32_t Index) TALVO_NOEXCEPT;
/* Closes every entry; false when any close failed. */
TALVO_API bool TALVOCloseAll(void) TALVO_NOEXCEPT;

/* Calls on an entry. Timeout is in milliseconds. RegCount 1 to 127, else -9. An answer of
 * another transaction gives -3; a frame whose protocol identifier is not 0 is read past. */

/* Function 3. Values receives RegCount words, in host order when Swap is true, else as
 * the bytes arrived. */
TALVO_API int32_t TALVOReadRegs(int32_t Index, uint8_t UnitId, uint16_t StartReg, uint16_t RegCount,
                                int32_t Timeout, uint16_t* Values, bool Swap) TALVO_NOEXCEPT;
/* Function 16; Values are RegCount words in host order. */
TALVO_API int32_t TALVOWriteRegs(int32_t Index, uint8_t UnitId, uint16_t StartReg, uint16_t RegCount,
                                 int32_t Timeout, const uint16_t* Values) TALVO_NOEXCEPT;
/* Function 6. */
TALVO_API int32_t TALVOPresetReg(int32_t Index, uint8_t UnitId, uint16_t Register, uint16_t Value,
                                 int32_t Timeout) TALVO_NOEXCEPT;
/* Sends a raw request PDU of RequestLen (0 to 253) bytes; on 0 the answer PDU, function
 * code first, is in Response (1017 bytes) and its length in ResponseLen. */
TALVO_API int32_t TALVOSendAndWait(int32_t Index, uint8_t UnitId, const uint8_t* Request, uint8_t* Response,
                                   int32_t Timeout, int32_t RequestLen, int32_t* ResponseLen) TALVO_NOEXCEPT;

/* One-shot calls: connect, one exchange, close. Each call sends a transaction identifier
 * of its own (one counter for the process, starting at 1); an answer of another
 * transaction, or one whose protocol identifier is not 0, is read past and never taken,
 * within the call's Timeout. */

/* Raw request PDU; true when a whole answer of the call's transaction arrived. The
 * answer's unit identifier, function code and exception bit are the caller's to judge. */
TALVO_API bool UniversalTALVOSendAndWait(const char* Host, uint16_t Port, uint8_t UnitId,
                                         const uint8_t* Request, uint8_t* Response, int32_t Timeout,
                                         int32_t RequestLen, int32_t* ResponseLen) TALVO_NOEXCEPT;
TALVO_API bool UniversalTALVOReadRegs(const char* Host, uint16_t Port, uint8_t UnitId, uint16_t StartReg,
                                      uint16_t RegCount, int32_t Timeout, uint16_t* Values,
                                      bool Swap) TALVO_NOEXCEPT;
TALVO_API bool UniversalTALVOWriteRegs(const char* Host, uint16_t Port, uint8_t UnitId, uint16_t StartReg,
                                       uint16_t RegCount, int32_t Timeout,
                                       const uint16_t* Values) TALVO_NOEXCEPT;
/* What the calling thread's last one-shot call met, for a caller that needs more than its
 * bool: 0 when it succeeded, else the code a table call gives for it: -8 the connection
 * was not made and nothing of the request was sent, -9 an argument refused before
 * connecting, -12 the request could not be sent, -11 no whole answer in time, -13, or the
 * judgement of a register answer. Reason (may be NULL) receives the system's text of the
 * socket error behind the failure, such as "Connection refused", "No route to host",
 * "Connection reset by peer" (also for a peer that closed the connection) or "Connection
 * timed out" (while connecting), at most MaxLen bytes (never half a character) and a NUL,
 * so it holds MaxLen + 1 bytes. It is empty when the failure has no such error: a peer
 * that is there and did not answer in time, or an answer refused for what it holds. */
TALVO_API int32_t UniversalTALVOLastError(char* Reason, int32_t MaxLen) TALVO_NOEXCEPT;

/* Frame helpers. A frame starts with the 7-byte header; the transaction identifier is
 * carried in host order, everything else big-endian. */

/* Writes the 12-byte function-3 request; returns 12. -8 for a NULL Buffer, -9 for a
 * RegCount outside 1..125 (the registers one answer holds); nothing is written then. */
TALVO_API int32_t BuildTALVOReadRegs(uint16_t StartReg, uint16_t RegCount, uint16_t TransId, uint8_t UnitId,
                                     uint8_t* Buffer) TALVO_NOEXCEPT;
/* Writes the function-16 request into Buffer (2 * RegCount + 13 bytes); returns its length.
 * -8 for a NULL Buffer or Values, -9 for a RegCount outside 1..123 (the registers one
 * request holds); nothing is written then. */
TALVO_API int32_t BuildTALVOWriteRegs(uint16_t StartReg, uint16_t RegCount, uint16_t TransId, uint8_t UnitId,
                                      const uint16_t* Values, uint8_t* Buffer) TALVO_NOEXCEPT;
/* Judges a read answer of RxLen bytes: -1, -2, -3, -4, an exception code, -5, else 0. */
TALVO_API int32_t CheckTALVOReadRegs(uint16_t StartReg, uint16_t RegCount, uint16_t TransId, uint8_t UnitId,
                                     int32_t RxLen, const uint8_t* Buffer) TALVO_NOEXCEPT;
/* Judges a write answer as above, without the length test against RegCount. */
TALVO_API int32_t CheckTALVOWriteRegs(uint16_t StartReg, uint16_t RegCount, uint16_t TransId, uint8_t UnitId,
                                      int32_t RxLen, const uint8_t* Buffer) TALVO_NOEXCEPT;
/* Copies RegCount words from the register data of the read answer frame Source (which
 * CheckTALVOReadRegs accepted) to Destination; returns 0. */
TALVO_API int32_t GetTALVOReadRegs(uint16_t RegCount, const uint8_t* Source, uint16_t* Destination,
                                   bool Swap) TALVO_NOEXCEPT;

/* Texts and log. */

/* The UTF-8 text of a result code, at most MaxLen bytes (never half a character) and a
 * NUL: Buffer holds MaxLen + 1 bytes. */
TALVO_API void TALVOGetErrorDescription(int32_t Code, char* Buffer, int32_t MaxLen) TALVO_NOEXCEPT;
/* Appends "yyyy/mm/dd hh:nn:ss.zzz Message" to FileName; nothing without a file name. */
TALVO_API void WriteLog(const char* Message, const char* FileName) TALVO_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif
