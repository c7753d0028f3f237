// Notices: timed lines over the picture, kept in a small ring, oldest first.
#include "app/Notices.h"

#include <cstdio>
#include <cstring>

#include "app/Platform.h"
#include "screen/Font.h"
#include "sys/Time.h"

struct Notice {
    char text[TextLineBytes];
    double until;
};

static Notice Notices[NoticeLines] = {};
static int32_t noticeCount = 0;

// Adds one line to the ring.
static void AddNoticeLine(const char* text, int32_t milliseconds) {
    if (noticeCount == NoticeLines) {
        for (int32_t i = 1; i < NoticeLines; i++) Notices[i - 1] = Notices[i];
        noticeCount--;
    }
    Notice& notice = Notices[noticeCount++];
    std::snprintf(notice.text, sizeof notice.text, "%s", text);
    notice.until = SysMilliseconds() + milliseconds;
}

// Where a notice too long for one line is broken, or nullptr.
static const char* NoticeBreakOf(const char* text) {
    if (std::strlen(text) <= static_cast<size_t>(NoticeColumns)) return nullptr;
    return std::strstr(text, ": ");
}

int32_t NoticeLinesOf(const char* text) { return NoticeBreakOf(text) ? 2 : 1; }

void ShowNotice(const char* text, int32_t milliseconds) {
    PlatformRepeatNotice(text, milliseconds, false);
    const char* colon = NoticeBreakOf(text);
    if (!colon) {
        AddNoticeLine(text, milliseconds);
        return;
    }
    char line[TextLineBytes];
    std::snprintf(line, sizeof line, "%.*s", static_cast<int>(colon + 1 - text), text);
    AddNoticeLine(line, milliseconds);
    std::snprintf(line, sizeof line, "  %s", colon + 2);
    AddNoticeLine(line, milliseconds);
}

void ShowNoticeDetail(const char* text, int32_t milliseconds) { AddNoticeLine(text, milliseconds); }

void DrawNotices() {
    const double now = SysMilliseconds();
    int32_t kept = 0;
    for (int32_t i = 0; i < noticeCount; i++)
        if (Notices[i].until > now) Notices[kept++] = Notices[i];
    noticeCount = kept;
    for (int32_t i = 0; i < noticeCount; i++) {
        FormatTextLine("%s", Notices[i].text);
        DrawTextLine(NoticeX, NoticeY - i * NoticeLineStep, 255, 255, 0);
    }
}

void ClearNotices() { noticeCount = 0; }
