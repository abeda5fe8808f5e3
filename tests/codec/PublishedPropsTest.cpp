// TCustomLZHCompressor in form descriptions: created by class name, and nothing of its
// own is published (its buffer sizes and hooks are set from code).
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec/Lzh_op.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Published.h"
#include "platform/classes/TextForm.h"

namespace {

TEST(LZHCompressorProps, CodecPublishesOnlyTheComponentsOwn)
{
    // Created by class name, configured by Tag alone; the buffer sizes stay code-only.
    std::unique_ptr<TComponent> c(CreateComponentOfClass("TCustomLZHCompressor", nullptr));
    ASSERT_NE(dynamic_cast<TCustomLZHCompressor*>(c.get()), nullptr);
    std::vector<std::string> names;
    for (const TPropInfo* p : PropTableOf(*c).Props()) names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Tag", "Left", "Top"}));
    EXPECT_EQ(PropTableOf(*c).Find("InputBufferSize"), nullptr);
    EXPECT_EQ(PropTableOf(*c).Find("OnDone"), nullptr);
}


TEST(LZHCompressorProps, TextFormLoadsTagAndRefusesTheBufferSizes)
{
    const std::string head = "object Form1: TComponent\n  object LZHCompressor1: TCustomLZHCompressor\n    ";
    TComponent form(nullptr);
    {
        TStringStream s(FormTextToBinary(head + "Tag = 7\n  end\nend\n"));
        TReader r(s);
        r.ReadRootComponent(&form);
    }
    auto* c = dynamic_cast<TCustomLZHCompressor*>(form.FindComponent("LZHCompressor1"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Tag(), 7);
    EXPECT_EQ(c->InputBufferSize(), 1024);

    TComponent other(nullptr);
    TStringStream s(FormTextToBinary(head + "InputBufferSize = 4096\n  end\nend\n"));
    TReader r(s);
    EXPECT_THROW(r.ReadRootComponent(&other), EReadError);
}

}  // namespace
