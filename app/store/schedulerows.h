#pragma once

#include "store/schedule.h"

#include <thread>
#include <vector>

namespace schedulerows {

// Spreads the counting of many rows over two threads; a few are counted at once.
template<class Work>
void forEachRow(std::vector<Schedule::Row> &rows, Work work)
{
    const size_t half = rows.size() / 2;
    if (rows.size() < 20000) {
        for (Schedule::Row &row : rows)
            work(row);
        return;
    }
    std::thread other([&] {
        for (size_t i = half; i < rows.size(); ++i)
            work(rows[i]);
    });
    for (size_t i = 0; i < half; ++i)
        work(rows[i]);
    other.join();
}

} // namespace schedulerows
