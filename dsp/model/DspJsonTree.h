#pragma once
#include "DspJsonValue.h"

#include <QByteArray>
#include <QString>

#include <vector>

/// A read-only JSON document over UTF-8 text, built in one pass without copying strings: values are spans of the
/// text until they are asked for. Made for the configuration messages, which are large and read once.
/// Accepts the JSON grammar with an object or array at the top (raw control characters inside strings pass, as
/// QJsonDocument lets them); nesting deeper than MaxDepth or text larger than MaxText is refused. Values refer to the
/// tree, which must outlive them and must not be moved.
class DspJsonTree
{
public:
    static constexpr int MaxDepth = 128;
    static constexpr int MaxText = 256 * 1024 * 1024;

    DspJsonTree() = default;
    DspJsonTree(const DspJsonTree&) = delete;
    DspJsonTree& operator=(const DspJsonTree&) = delete;

    /// Parses `text` (kept by reference-counted copy). False on malformed text: the root is then invalid and
    /// errorOffset() tells where reading stopped.
    bool parse(const QByteArray& text);
    DspJsonValue root() const { return DspJsonValue(this, m_nodes.empty() || m_error >= 0 ? -1 : 0); }
    int errorOffset() const { return m_error; }

private:
    friend class DspJsonValue;

    struct Node
    {
        int begin = 0; ///< string content, number or literal text
        int end = 0;
        int keyBegin = -1; ///< member name of an object member (raw, quotes excluded)
        int keyEnd = -1;
        int next = -1; ///< next sibling
        int firstChild = -1;
        int count = 0; ///< children of a container
        quint8 type = 0;
        bool escaped = false; ///< the string (or member name) holds escapes
        bool keyEscaped = false;
    };

    int parseValue(int& pos, int depth);
    bool parseString(int& pos, int* begin, int* end, bool* escaped);
    void skipSpace(int& pos) const;

    QByteArray m_text;
    const char* m_data = nullptr;
    int m_size = 0;
    std::vector<Node> m_nodes;
    int m_error = -1;
};
