#include "background.h"

#include "http.h"

QThreadPool &backgroundPool()
{
    // Both ticker texts and a probe of the portal may be under way at once.
    static QThreadPool pool;
    static const bool ready = [] {
        // The work is HTTP transfers: the library is set up on the calling
        // thread, the user interface's, before any worker uses it.
        initHttp();
        pool.setMaxThreadCount(4);
        return true;
    }();
    Q_UNUSED(ready);
    return pool;
}
