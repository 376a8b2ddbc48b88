// The application object of GUI test programs that do not test MainApp itself.
#include <wx/app.h>

class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

wxIMPLEMENT_APP_NO_MAIN(TestApp);
