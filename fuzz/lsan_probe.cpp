// Checks what lsan.supp hides, run by run_fuzzers.sh before the targets. "parser" leaks through
// Qt's duplicate-key fault deep inside nested containers: the suppression must hide it (exit 0).
// "qt" leaks a buffer Qt allocates outside its JSON parser: LeakSanitizer must report it.

#include <QByteArray>
#include <QJsonDocument>

#include <cstdio>
#include <cstring>

namespace {

// Several parses in a frame of their own, so that no stale pointer on the stack keeps the last
// leaked value reachable when LeakSanitizer looks.
__attribute__((noinline)) int parseNested()
{
    // 40 levels of nesting, then a key repeated with container values.
    const QByteArray text =
        QByteArray("{\"n\":").repeated(40) + "{\"a\":{\"x\":[1]},\"a\":{\"y\":{}}}" + QByteArray("}").repeated(40);
    int objects = 0;
    for (int i = 0; i < 8; ++i)
        objects += QJsonDocument::fromJson(text).isObject();
    return objects;
}

/// Buffers Qt allocates outside its JSON parser, each kept by one reference too many: never freed.
__attribute__((noinline)) void leakBuffers()
{
    for (int i = 0; i < 8; ++i) {
        QByteArray buffer(64 + i, 'x');
        buffer.data_ptr()->ref.ref();
    }
}

/// Overwrites the stack below the caller, so that no stale pointer there keeps a leaked block reachable.
__attribute__((noinline)) void scrubStack()
{
    volatile char area[16384];
    for (size_t i = 0; i < sizeof area; ++i)
        area[i] = 0;
}

} // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "parser") == 0) {
        const int objects = parseNested();
        scrubStack();
        return objects == 8 ? 0 : 2;
    }
    if (std::strcmp(mode, "qt") == 0) {
        leakBuffers();
        scrubStack();
        return 0;
    }
    std::fprintf(stderr, "usage: lsan_probe parser|qt\n");
    return 2;
}
