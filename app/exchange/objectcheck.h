#pragma once

#include <QByteArray>
#include <QString>

// What a calendar object from a server must be before the reader gets it.
namespace objectcheck {

// Real objects nest a few levels (calendar, event, alarm; time zone, rule).
constexpr int maxNesting = 16;

// Why the object is not handed to the reader, in words for the user; empty
// when it may be read. Linear in the object's size.
QString refusal(const QByteArray &object);

} // namespace objectcheck
