#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace narv {

// The edit events of the running program (the variation editor's grids add one line per cell
// left or header clicked). Held in memory only, unlike the log; the hidden command "Show
// &Events" shows it.
class EventList {
public:
    void add(std::string line)
    {
        m_lines.push_back(std::move(line));
        changed();
    }
    void clear()
    {
        m_lines.clear();
        changed();
    }
    const std::vector<std::string>& lines() const { return m_lines; }

    // The lines ended by CR LF, as they are copied to the clipboard.
    std::string text() const
    {
        std::string text;
        for (const std::string& line : m_lines)
            text += line + "\r\n";
        return text;
    }

    // Called after every change, so that an open event window follows the list.
    void setObserver(std::function<void()> observer) { m_observer = std::move(observer); }

private:
    void changed() const
    {
        if (m_observer)
            m_observer();
    }

    std::vector<std::string> m_lines;
    std::function<void()> m_observer;
};

// The line of a grid event: clock "hh:mm:ss", then column, row, the grid handler's name (for
// example "sg_inflowsExitCell") and the cell text.
inline std::string CellEventLine(const std::string& clock, int column, int row,
                                 const std::string& handler, const std::string& text)
{
    return clock + ": Col:" + std::to_string(column) + "/Row:" + std::to_string(row) + ": " +
           handler + ": " + text;
}

} // namespace narv
