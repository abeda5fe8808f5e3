#include <gtest/gtest.h>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Published.h"
#include "platform/classes/TextForm.h"
#include "presentation/Gradient.h"

namespace {

// A component carrying a gradient the way the drawing controls do.
class TGradientHolder : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TGradientHolder"; }
    TGradient* Gradient() const { return &gradient_; }

private:
    mutable TGradient gradient_;
};

PUBLISHED_PROPERTIES(TGradientHolder, TComponent)
{
    PUBLISH_OBJECT(Gradient);
}

std::string WriteText(TComponent& c)
{
    TMemoryStream m;
    TWriter w(m);
    w.WriteRootComponent(&c);
    return FormBinaryToText(std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size())));
}

}  // namespace

TEST(GradientStreaming, AStoredFormSetsEveryProperty)
{
    const std::string text =
        "object H: TGradientHolder\n"
        "  Gradient.GradientStyle = gsEllipse\n"
        "  Gradient.LineSize = 1\n"
        "  Gradient.Color1 = clNavy\n"
        "  Gradient.Color2 = clTeal\n"
        "  Gradient.Color3 = 65535\n"
        "  Gradient.ColorCount = 2\n"
        "  Gradient.LineDirection = diVertical\n"
        "end\n";
    TGradientHolder h(nullptr);
    TStringStream s(FormTextToBinary(text));
    TReader r(s);
    r.ReadRootComponent(&h);
    TGradient* g = h.Gradient();
    EXPECT_EQ(g->GradientStyle(), gsEllipse);
    EXPECT_EQ(g->LineSize(), 1);
    EXPECT_EQ(g->Color1(), clNavy);
    EXPECT_EQ(g->Color2(), clTeal);
    EXPECT_EQ(g->Color3(), TColor(65535));
    EXPECT_EQ(g->Color4(), clWhite);  // untouched: the constructed value
    EXPECT_EQ(g->ColorCount(), 2);
    EXPECT_EQ(g->LineDirection(), diVertical);
}

TEST(GradientStreaming, EveryPropertyIsWrittenInOrderEvenAtItsInitialValue)
{
    TGradientHolder h(nullptr);
    h.SetName("H");
    std::string text = WriteText(h);
    const char* expected[] = {"Gradient.GradientStyle = gsLine", "Gradient.LineSize = 3",
                              "Gradient.Color1 = clGray",        "Gradient.Color2 = clWhite",
                              "Gradient.Color3 = clSilver",      "Gradient.Color4 = clWhite",
                              "Gradient.Color5 = clBlack",       "Gradient.ColorCount = 3",
                              "Gradient.LineDirection = diHorizonal"};
    size_t at = 0;
    for (const char* line : expected) {
        size_t p = text.find(line, at);
        ASSERT_NE(p, std::string::npos) << line << " in\n" << text;
        at = p;
    }
}
