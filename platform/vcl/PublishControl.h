// Publishing the properties that TControl and TWinControl implement, by name, in the
// order a class lists them. Every control class publishes its own selection of them
// (TControl itself publishes only its bounds), so each stored form offers exactly the
// properties its class has:
//
//   PUBLISHED_PROPERTIES(TLabel, TCustomLabel) {
//       PublishInherited(P, {"Align", "Color", "Enabled", "Font", "Visible", "OnClick"});
//   }
//
// The entries carry the usual defaults (Visible and Enabled true, ParentFont true; Font
// stored unless ParentFont, Color unless ParentColor, ShowHint unless ParentShowHint); a
// class with other defaults declares the entry again after this call.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/classes/Published.h"
#include "platform/vcl/Controls.h"

extern const TIdentTable AlignIdents;
extern const TIdentTable DragModeIdents;

// An event that is a closure field of a base class.
template <class T, class E, class C>
void PublishEventField(TPropTableBuilder<T>& P, const char* Name, E C::*Field)
{
    P.Event(Name, [Field](const T& o) -> const E& { return o.*Field; }, [Field](T& o, const E& v) { o.*Field = v; });
}

template <class T>
void PublishInherited(TPropTableBuilder<T>& P, std::initializer_list<std::string_view> Names)
{
    static_assert(std::is_base_of_v<TControl, T>);
    for (std::string_view n : Names) {
        if (n == "Align") {
            P.Enum("Align", [](const T& o) { return o.Align(); }, &TControl::SetAlign, AlignIdents).Default(alNone);
        } else if (n == "Color") {
            P.Color("Color", [](const T& o) { return o.Color(); }, &TControl::SetColor).Stored([](const TPersistent& o) {
                return !static_cast<const TControl&>(o).ParentColor();
            });
        } else if (n == "Cursor") {
            P.IdentInt("Cursor", "TCursor", [](const T& o) { return o.Cursor(); }, &TControl::SetCursor).Default(crDefault);
        } else if (n == "DragCursor") {
            P.IdentInt("DragCursor", "TCursor", [](const T& o) { return o.DragCursor(); }, &TControl::SetDragCursor)
                .Default(crDrag);
        } else if (n == "DragMode") {
            P.Enum("DragMode", [](const T& o) { return o.DragMode(); }, &TControl::SetDragMode, DragModeIdents)
                .Default(dmManual);
        } else if (n == "Enabled") {
            P.Bool("Enabled", [](const T& o) { return o.Enabled(); }, &TControl::SetEnabled).Default(true);
        } else if (n == "Font") {
            P.Object("Font", [](const T& o) { return o.Font(); }).Stored([](const TPersistent& o) {
                return !static_cast<const TControl&>(o).ParentFont();
            });
        } else if (n == "Hint") {
            P.String("Hint", [](const T& o) { return o.Hint(); }, &TControl::SetHint).Default("");
        } else if (n == "ParentColor") {
            P.Bool("ParentColor", [](const T& o) { return o.ParentColor(); }, &TControl::SetParentColor).Default(false);
        } else if (n == "ParentFont") {
            P.Bool("ParentFont", [](const T& o) { return o.ParentFont(); }, &TControl::SetParentFont).Default(true);
        } else if (n == "ParentShowHint") {
            P.Bool("ParentShowHint", [](const T& o) { return o.ParentShowHint(); }, &TControl::SetParentShowHint)
                .Default(true);
        } else if (n == "PopupMenu") {
            P.Component("PopupMenu", [](const T& o) { return o.PopupMenu(); }, &TControl::SetPopupMenu);
        } else if (n == "ShowHint") {
            P.Bool("ShowHint", [](const T& o) { return o.ShowHint(); }, &TControl::SetShowHint)
                .Stored([](const TPersistent& o) { return !static_cast<const TControl&>(o).ParentShowHint(); });
        } else if (n == "Visible") {
            P.Bool("Visible", [](const T& o) { return o.Visible(); }, &TControl::SetVisible).Default(true);
        } else if (n == "OnClick") {
            PublishEventField(P, "OnClick", &TControl::OnClick);
        } else if (n == "OnDblClick") {
            PublishEventField(P, "OnDblClick", &TControl::OnDblClick);
        } else if (n == "OnDragDrop") {
            PublishEventField(P, "OnDragDrop", &TControl::OnDragDrop);
        } else if (n == "OnDragOver") {
            PublishEventField(P, "OnDragOver", &TControl::OnDragOver);
        } else if (n == "OnEndDrag") {
            PublishEventField(P, "OnEndDrag", &TControl::OnEndDrag);
        } else if (n == "OnMouseDown") {
            PublishEventField(P, "OnMouseDown", &TControl::OnMouseDown);
        } else if (n == "OnMouseMove") {
            PublishEventField(P, "OnMouseMove", &TControl::OnMouseMove);
        } else if (n == "OnMouseUp") {
            PublishEventField(P, "OnMouseUp", &TControl::OnMouseUp);
        } else if (n == "OnStartDrag") {
            PublishEventField(P, "OnStartDrag", &TControl::OnStartDrag);
        } else if constexpr (std::is_base_of_v<TWinControl, T>) {
            if (n == "TabOrder") {
                P.Int("TabOrder", [](const T& o) { return o.TabOrder(); }, &TWinControl::SetTabOrder).Default(-1);
            } else if (n == "TabStop") {
                P.Bool("TabStop", [](const T& o) { return o.TabStop(); }, &TWinControl::SetTabStop).Default(false);
            } else if (n == "OnEnter") {
                PublishEventField(P, "OnEnter", &TWinControl::OnEnter);
            } else if (n == "OnExit") {
                PublishEventField(P, "OnExit", &TWinControl::OnExit);
            } else if (n == "OnKeyDown") {
                PublishEventField(P, "OnKeyDown", &TWinControl::OnKeyDown);
            } else if (n == "OnKeyPress") {
                PublishEventField(P, "OnKeyPress", &TWinControl::OnKeyPress);
            } else {
                throw std::logic_error("PublishInherited: no property " + std::string(n));
            }
        } else {
            throw std::logic_error("PublishInherited: no property " + std::string(n));
        }
    }
}

// The mouse and drag events every visible control class publishes.
#define PALLIMER_MOUSE_EVENTS                                                                               \
    "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp", \
        "OnStartDrag"
