// The loading form: a gauge that counts to 100 % before the background window appears.
#pragma once

#include "platform/vcl/Buttons.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Gauges.h"
#include "platform/vcl/StdCtrls.h"

class TForm2 : public TForm {
public:
    explicit TForm2(TComponent* AOwner) : TForm(AOwner) {}
    std::string ClassName() const override { return "TForm2"; }

    TSpeedButton* SpeedButton1 = nullptr;
    TImage* Image1 = nullptr;
    TLabel* Label1 = nullptr;
    TPanel* Panel1 = nullptr;
    TGauge* Gauge1 = nullptr;

    // Attached to OnActivate: the loading animation, run to its end.
    void FormShow(TObject* Sender);

    void Loaded() override;
};

extern TForm2* Form2;
