#pragma once
#include "app/CommandLine.h"
#include "app/RememberedChoices.h"

#include <wx/app.h>

#include <memory>

class MainApp : public wxApp {
public:
    // The defaults: as started without options, remembering nothing.
    MainApp() = default;
    // As the command line asks; remembers the user's choices.
    explicit MainApp(const DashboardOptions& options);
    ~MainApp() override;

    bool OnInit() override;

private:
    DashboardOptions m_options;
    std::unique_ptr<RememberedChoices> m_memory;
};
