// The repair tool's main window: it resets the default database of the KWADMIN login on the
// local SQL Server instances.
#pragma once
#include <vector>

#include "Forms.h"
#include "ssButton.h"
#include "ssExtCmd.h"
#include "ssLabel.h"

class TForm1 : public TForm {
    SS_CLASS(TForm1, TForm)
public:
    explicit TForm1(TComponent* AOwner);

    TssLabel* ssLabel1;
    TssButton* ssButton1;
    TssButton* ssButton2;
    TssExternalCmd* cmdBcp;

    void ssButton1Click(TObject* Sender);
    void ssButton2Click(TObject* Sender);
    // The version gate and the pass over both instances. Answers a line per failed instance
    // (none when the repair succeeded); what failed goes to the error log.
    std::vector<String> execute();

protected:
    // Writes, runs and removes the script and batch of one instance; answers why it failed,
    // empty when it succeeded.
    virtual String RepairInstance(const String& instance);
    // The folder of the running executable, without a trailing separator.
    String WorkFolder() const;
};

extern TForm1* Form1;
