#pragma once
// The device registry: devices, their channel and route tables, clock state and the
// multicast streams of the network, in fixed tables allocated once.
//
// Threads: every change (the userCallLib_* entry points, dvm_setDevLife) is made by the network
// thread only; expireAll may be called from any thread (it only zeroes lives under the lock).
// Look-ups may be called from any thread; they take the registry lock while they search.
// Record contents may be rewritten by the network thread at any time: copy a header out with
// dvm_copyDevHeader when a consistent view matters.
//
// Return codes follow the registry's convention: 1 handled, 0 ignored, -1 failure.

#include "DvmTypes.h"

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <vector>

// ---- Ways out of the registry ------------------------------------------------------------

/// Receives every change notification ({"ops": ..., ...}). Called on the network thread,
/// sometimes while the registry lock is held: it must never call back into the registry
/// synchronously (emit queued signals only).
typedef void (*DvmNotifyHook)(void* ctx, const QJsonObject& msg);
/// Sends one datagram; returns bytes sent or -1.
typedef int (*DvmSendHook)(void* ctx, const char* data, int length, uint32_t ip, uint16_t port);

/// Registers the one notification receiver (nullptr removes it). Set before traffic flows.
void dvm_setNotifyHook(DvmNotifyHook hook, void* ctx);
/// Registers the one sender (nullptr removes it). Set before traffic flows.
void dvm_setSendHook(DvmSendHook hook, void* ctx);

/// The registry's change callback: forwards to the registered notification hook.
void libCallUser_notify(const QJsonObject& msg);
/// The one function that sends a datagram: forwards to the registered send hook.
/// Returns -1 without sending when no network thread is receiving.
int libCallUser_sendUdp(const char* data, int length, uint32_t ip, uint16_t port);

// ---- Entry points of the network thread ---------------------------------------------------
// Each takes the datagram, NUL-terminated behind its last byte, its length and the sender.

/// Announcements, "updateRoute", "updateActive" and clock events. 1 handled, 0 ignored (an
/// announcement with ip 0 or for a full table, a notification or event of an unknown sender).
int userCallLib_handleUdp_mcast(const char* data, int length, uint32_t srcIp, uint16_t srcPort);
/// Pages of the eight table replies. 1 when it was one of them from a known device, else 0.
/// Page bounds and ids are untrusted: nothing outside the tables is touched and the fetched
/// count stays within 0..4096. "updateRoute"/"updateActive" is notified only by the reply that
/// makes the tables complete, so a repeated last page stays silent.
int userCallLib_handleUdp_ucast(const char* data, int length, uint32_t srcIp, uint16_t srcPort);
/// SAP announcements. 1 stored, 0 rejected or dropped.
int userCallLib_handleUdp_sap(const char* data, int length, uint32_t srcIp, uint16_t srcPort);
/// Housekeeping: ageing of devices and streams, then one synchronisation step (a device
/// whose announced port is outside 1..65535 is not asked for its tables).
void userCallLib_timer(int elapsedMs);
/// Gives every live device and stream a remaining life of 0; the next ageing step removes them.
void expireAll();

// ---- Look-ups (any thread; take the registry lock) ---------------------------------------

DevRecord* findDevByIp(uint32_t ip);
DevRecord* findDevById(const char* devId);
/// Snapshot of the live devices in active-list order.
std::vector<DevRecord*> getAllDevs();
McastRecord* findMcastByDstIp(uint32_t dstIp);
/// Snapshot of the live streams in active-list order.
std::vector<McastRecord*> getAllMcasts();

/// Copies the header of a record under the registry lock. Returns 1, or 0 for a null record.
int dvm_copyDevHeader(const DevRecord* rec, DevHeader* out);
/// Copies a multicast record under the registry lock. Returns 1, or 0 for a null record.
int dvm_copyMcast(const McastRecord* rec, McastRecord* out);
/// Sets the remaining life of a live device (network thread; used for rebooting devices).
void dvm_setDevLife(DevRecord* rec, int lifeMs);
/// Sets the remaining life of a live multicast stream (a stream its sender removed).
void dvm_setMcastLife(McastRecord* rec, int lifeMs);

// ---- Tables --------------------------------------------------------------------------------

/// A count of an announcement clamped to what a table can hold (0..4096).
int dvm_clampCount(int32_t count);
/// The count a table is complete at (announced counts, clamped).
int dvm_expectedCount(const DevRecord* rec, DvmTable table);
/// True when all eight tables of the device are fetched.
bool dvm_tablesComplete(const DevRecord* rec);
/// Name of the request of a table, such as "getAllRxCh".
const char* dvm_tableOps(DvmTable table);
/// Fetches the transmit-stream tables of the device at `ip` again (network thread): a device announces no
/// change of its own transmit streams, so the controller asks after it created or removed one. The refetch
/// ends with "updateRoute". Returns 1 when the device is known, else 0.
int dvm_refetchTransmitTables(uint32_t ip);

// ---- Streams, SAP and helpers ------------------------------------------------------------

/// Fills a StreamDesc from the JSON object "sdp". Returns 1.
int parseStreamJson(const QJsonObject& sdp, StreamDesc* out);
/// The JSON object "sdp" of a stream, every value as text.
QJsonObject streamToJson(const StreamDesc& stream);
/// Parses a SAP datagram with SDP. Returns 1 with `out` filled (lifeMs untouched), else 0.
int parseSapAnnounce(const char* data, int length, McastRecord* out);

/// Dotted text to a host-order address; a missing part ends the reading (each part read is
/// shifted in). A part above 255 would name another host, so such text reads as 0 (invalid).
uint32_t dvm_parseIp(const char* text);
uint32_t dvm_parseIp(const QString& text);
/// Host-order address as "%u.%u.%u.%u".
QString dvm_ipToString(uint32_t ip);

// ---- Settings and test support -----------------------------------------------------------

/// The life an announcement gives to devices and streams (default DVM_LIFE_MS; 0 or less
/// restores the default). Test setups shorten it.
void dvm_setAnnounceLifeMs(int lifeMs);
/// Limits of the table requests of all devices together: the budget refills at ratePerSecond up to burst
/// (defaults TablePacer::kRatePerSecond and kBurst; reset by dvm_resetForTest). ratePerSecond <= 0 asks every
/// incomplete table at every step without a budget or repeat delays: for comparisons in benchmarks only.
void dvm_setTablePacing(int ratePerSecond, int burst);
/// Returns every slot to free without notifications and restores the default announcement life.
/// For tests and benchmarks only.
void dvm_resetForTest();
