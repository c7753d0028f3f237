// Notices: timed lines over the picture, kept in a small ring, oldest first.
#include "app/Notices.h"

#include <cstdio>

#include "screen/Font.h"
#include "sys/Time.h"

struct Notice {
    char text[TextLineBytes];
    double until;
};

static Notice Notices[NoticeLines] = {};
static int32_t noticeCount = 0;

void ShowNotice(const char* text, int32_t milliseconds) {
    if (noticeCount == NoticeLines) {
        for (int32_t i = 1; i < NoticeLines; i++) Notices[i - 1] = Notices[i];
        noticeCount--;
    }
    Notice& notice = Notices[noticeCount++];
    std::snprintf(notice.text, sizeof notice.text, "%s", text);
    notice.until = PlatformMilliseconds() + milliseconds;
}

void DrawNotices() {
    const double now = PlatformMilliseconds();
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
