// Processor configurations: parse hostile text, write it, parse the written text again. The first byte chooses
// the DSP information (unknown or 4 x 4) and the firmware; the rest is the message. Checks that every size stays
// bounded, that the written text is what QJsonDocument would write, and that a written configuration reads back
// into the same text.

#include "BlockPosition.h"
#include "CDeviceDspData.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace {

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1 << 20)
        return 0;
    const uint8_t selector = data[0];
    const QString message = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), int(size - 1));
    static const char* const firmwares[] = {"3.2.0", "3.1.2", "3.1.0", ""};
    const QString firmware = QString::fromLatin1(firmwares[(selector >> 1) & 3]);
    const bool fromFile = selector & 8;

    CDeviceDspData first;
    if (selector & 1) {
        first.info().chNumIn = 4;
        first.info().chNumOut = 4;
    }
    first.parse(message, firmware, fromFile);
    check(first.inputs().size() <= CDeviceDspData::MaxChannels, "inputs bounded");
    check(first.outputs().size() <= CDeviceDspData::MaxChannels, "outputs bounded");
    check(first.aecChannels().size() <= CDeviceDspData::MaxSideNodes, "AEC channels bounded");
    check(first.automixerChannels().size() <= CDeviceDspData::MaxSideNodes, "automixer channels bounded");
    if (first.matrix())
        check(first.matrix()->rows() <= DspMatrix::MaxDimension && first.matrix()->columns() <= DspMatrix::MaxDimension,
              "matrix bounded");
    check(first.groups().size() <= CDeviceDspData::MaxGroups, "groups bounded");
    int blocks = 0;
    for (const CInputChannel* in : first.inputs())
        blocks += in->blocks().size() <= CDeviceDspData::MaxBlocksPerChannel ? in->blocks().size() : 1 << 30;
    for (const COutputChannel* out : first.outputs())
        blocks += out->blocks().size() <= CDeviceDspData::MaxBlocksPerChannel ? out->blocks().size() : 1 << 30;
    check(blocks <= CDeviceDspData::MaxBlocks, "chains and blocks in all bounded");
    for (const QVector<int>& members : first.groupMembers())
        for (int j : members)
            check(j >= 0 && j < first.inputs().size(), "group members are inputs");

    const QByteArray written = first.writeConfigText(firmware, fromFile);
    check(written == QJsonDocument(first.writeConfig(firmware, fromFile)).toJson(QJsonDocument::Compact),
          "written text equals the JSON document's");

    CDeviceDspData second;
    second.info() = first.info();
    second.parse(QString::fromUtf8(written), firmware, fromFile);
    check(second.writeConfigText(firmware, fromFile) == written, "written configuration reads back the same");

    std::unique_ptr<CDeviceDspData> copy(second.clone());
    check(copy->writeConfigText(firmware, fromFile) == written, "copy writes the same");

    // The per-block requests and the dump walk every block.
    for (int j = 0; j < first.outputs().size(); ++j)
        for (int b = 0; b < first.outputs().at(j)->blocks().size(); ++b)
            first.outputs().at(j)->block(b)->setBorderProcRequest(BlockPosition::of(first, false, j, b), 4);
    first.debugDump();
    return 0;
}
