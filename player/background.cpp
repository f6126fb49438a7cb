#include "background.h"

QThreadPool &backgroundPool()
{
    // Both ticker texts and a probe of the portal may be under way at once.
    static QThreadPool pool;
    pool.setMaxThreadCount(4);
    return pool;
}
