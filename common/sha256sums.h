#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

// SHA-256 computed while bytes stream. OpenSSL's, which uses the processor's
// SHA instructions: a gigabyte update is hashed in well under a second,
// where a portable implementation takes ten times as long.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;
    void add(const char *data, std::size_t size);
    // The 32-byte digest; call once.
    QByteArray finish();

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

QByteArray sha256(const QByteArray &data);

// The text that GNU sha256sum writes and `sha256sum -c` reads: per line 64
// hex digits, a blank, a blank or '*' (binary mode), and the name, lines
// ending in LF; a name holding a backslash or a line feed is written
// escaped, on a line that starts with a backslash. Names are UTF-8.
class Sha256Sums
{
public:
    // An Error on a malformed line, a name listed twice, or no line at all.
    static Sha256Sums parse(const QByteArray &text);
    // The digest (32 bytes) listed for name; a backslash counts as "/" on
    // both sides. None when the name is not listed.
    std::optional<QByteArray> digestOf(const QString &name) const;
    void add(const QString &name, const QByteArray &digest);
    // What sha256sum writes, lines in the order added.
    QByteArray format() const;

private:
    struct Line {
        QString name;
        QByteArray digest;
    };
    QList<Line> m_lines;
};
