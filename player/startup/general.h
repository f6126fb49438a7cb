#pragma once

#include "run.h"

#include <QtGlobal>
#include <memory>

class Form1;

namespace General
{

// The windows of one run. Form1 is created at its first use and kept; its
// load runs at creation whether or not it is being shown.
class Session
{
public:
    explicit Session(Seams seams, Settings settings = processSettings());
    ~Session();

    Run &run() { return m_run; }
    Seams &seams() { return m_run.seams; }
    // Creates Form1 (running its load) at the first call. A load that fails
    // leaves the window created as the interrupted load left it; the error
    // reaches the caller.
    Form1 &form1();

private:
    Run m_run;
    std::unique_ptr<Form1> m_form1;
};

bool checkOnline(const Seams &seams);

// The start-up sequence: probe, the occasional update check, and the main
// window. Returns once the main window is shown, or after handing over to
// the updater (the process end is requested through the seams then).
void Main(Session &session);

} // namespace General
