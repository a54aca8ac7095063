// Factory configuration commands: any typed text is refused with a place inside it or built into a configuration
// that reads back whole. The first byte chooses the input count (1..16), the second the output count; the rest is
// the text. Checks that a refusal names a line and column within the text and builds nothing, and that a built
// configuration has the chosen counts, stays within the block bounds and parses back into the same text.

#include "CDeviceDspData.h"
#include "DspCommandParser.h"
#include "DspFactoryConfig.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>

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
    if (size < 2 || size > 1 << 18)
        return 0;
    const int inputs = 1 + data[0] % 16;
    const int outputs = 1 + data[1] % 16;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), int(size - 2));

    const DspFactoryConfig::Result r = DspFactoryConfig::build({inputs, outputs, 48000, text}, false);
    check(r.problem.isEmpty(), "counts and rate in range are never a problem");
    if (!r.ok()) {
        const int lines = text.count(QLatin1Char('\n')) + 1;
        check(r.error.line >= 1 && r.error.line <= lines, "the fault's line is in the text");
        check(r.error.column >= 1 && r.error.column <= DspCommandParser::MaxTextLength + 1,
              "the fault's column is in its line");
        check(!r.error.expectedEn.isEmpty() && !r.error.expectedZh.isEmpty(), "the fault says what was expected");
        check(r.data == nullptr, "a refused text builds nothing");
        return 0;
    }
    const CDeviceDspData& built = *r.data;
    check(built.inputs().size() == inputs && built.outputs().size() == outputs, "the chosen counts");
    for (bool isInput : {true, false})
        for (int ch = 0; ch < (isInput ? inputs : outputs); ++ch)
            check(built.channel(isInput, ch)->blocks().size() <= CDeviceDspData::MaxBlocksPerChannel,
                  "blocks per channel bounded");
    const QByteArray written = DspFactoryConfig::configText(built);
    CDeviceDspData back;
    back.parse(QString::fromUtf8(written), QString(), true);
    check(DspFactoryConfig::configText(back) == written, "a built configuration reads back whole");
    return 0;
}
