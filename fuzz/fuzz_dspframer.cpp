// libFuzzer target of the processor link's framer. Input: one byte choosing the size cap, then chunks, each
// a length byte followed by that many bytes (the last chunk takes what is left). The chunks are fed as
// separate reads; the messages must match those of an independent one-pass reading of the joined bytes,
// whatever the cut points, and the framer may never hold more than the cap plus a header.
#include "DspTcpFramer.h"
#include "UntrustedJson.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Reference
{
    QList<QByteArray> messages;
    int zeroLengths = 0;
    int dropped = 0; ///< JSON repeating a member with a container value
    bool broken = false;
};

// The stream read in one pass: header, payload, header... up to the first count above the cap.
Reference readWhole(const QByteArray& bytes, int cap)
{
    Reference ref;
    int pos = 0;
    while (bytes.size() - pos >= 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + pos);
        const uint32_t length = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        pos += 4;
        if (length == 0) {
            ++ref.zeroLengths;
            continue;
        }
        if (length > uint32_t(cap)) {
            ref.broken = true;
            break;
        }
        if (uint32_t(bytes.size() - pos) < length) {
            break;
        }
        const QByteArray message = bytes.mid(pos, int(length));
        if (dvm::repeatedContainerMember(message.constData(), message.size()) >= 0)
            ++ref.dropped;
        else
            ref.messages.append(message);
        pos += int(length);
    }
    return ref;
}

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "invariant violated: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    // Small caps make the oversized path reachable; 0 keeps the product's default.
    const int cap = data[0] == 0 ? DspTcpFramer::kDefaultMaxMessage : int(data[0]) * 3;
    DspTcpFramer framer;
    framer.setMaxMessage(cap);

    QByteArray joined;
    QList<QByteArray> got;
    int errors = 0;
    size_t pos = 1;
    while (pos < size) {
        const size_t want = data[pos++];
        const size_t take = want < size - pos ? want : size - pos;
        const QByteArray chunk(reinterpret_cast<const char*>(data + pos), int(take));
        pos += take;
        joined += chunk;
        const QList<QByteArray> out = framer.feed(chunk);
        got += out;
        errors += framer.errors().size();
        check(framer.buffered() <= cap + DspTcpFramer::kHeaderSize, "buffer above cap + 4");
        if (framer.isBroken()) {
            check(framer.buffered() == 0, "broken framer holds bytes");
        }
    }

    const Reference ref = readWhole(joined, cap);
    check(got == ref.messages, "messages differ from the one-pass reading");
    check(framer.isBroken() == ref.broken, "broken state differs");
    check(errors == ref.zeroLengths + ref.dropped + (ref.broken ? 1 : 0), "error count differs");
    for (const QByteArray& m : got) {
        check(!m.isEmpty() && m.size() <= cap, "message length outside 1..cap");
    }

    // Framing what came out and reading it again gives the same messages.
    QByteArray reframed;
    for (const QByteArray& m : got) {
        reframed += DspTcpFramer::frame(m);
    }
    DspTcpFramer again;
    again.setMaxMessage(cap);
    check(again.feed(reframed) == got, "frame/feed round trip differs");
    check(again.buffered() == 0 && again.isAwaitingHeader(), "round trip leaves bytes");
    return 0;
}
