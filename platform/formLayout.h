// Stored form layouts: a small line-based text format and its parser.
//
// A layout describes one form and its components, one item per line:
//
//     # comment
//     form frmSaver caption="frmSaver" clientWidth=218 clientHeight=126
//     image imgLogo left=0 top=0 width=200 height=44 picture=LOGO visible=false
//     label Label1 parent=GroupBox1 left=16 top=24 caption="Screen saver covers "
//
// - Lines whose first non-blank character is '#', and blank lines, are ignored.
//   A '#' elsewhere is an ordinary character. Line ends may be LF or CR LF.
// - Each item line is `<kind> <Name>` followed by `key=value` pairs, separated
//   by spaces or tabs. The first item must be `form <Name>`; every later item
//   is a component, kept in file order, which is its creation order.
// - Kinds, names and keys are made of letters, digits and '_'; names are
//   unique within the layout (the form's included). Keys are case-sensitive
//   and may appear once per item.
// - A value is either bare (every character up to the next blank; empty when
//   a blank or the line end follows '=' at once) or double-quoted. Inside
//   quotes "" stands for one '"'; nothing else is special, backslashes
//   included, so captions are stored exactly as written. A value cannot span
//   lines. A bare value may not contain '"'.
// - `parent=<Name>` places a component inside a container declared on an
//   earlier line; it is kept in TLayoutItem::Parent, not among the properties.
//   Components without it sit on the form.
//
// Conventions of the stored layouts (read by the toolkit, not checked here):
// positions and sizes in pixels at 96 dots per inch, in the client coordinates
// of the container; colours by system-colour name (btnFace, btnShadow, ...);
// list items separated by '|', font styles by ','; event properties (onClick,
// onChange, ...) name the handler the form binds.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TLayoutItem {
    std::string Kind;
    std::string Name;
    std::string Parent;                                           // empty: on the form
    std::vector<std::pair<std::string, std::string>> Properties;  // in file order

    // The value stored for key, or nullptr.
    const std::string* Find(const std::string& key) const;
    // The value for key (empty values included), or fallback when absent.
    std::string Text(const std::string& key, const std::string& fallback = "") const;
    // A decimal 32-bit integer with optional sign; fallback when absent or malformed.
    int32_t Int(const std::string& key, int32_t fallback = 0) const;
    // true/false (any case) or 1/0; fallback when absent or malformed.
    bool Bool(const std::string& key, bool fallback = false) const;
    // The value split at separator; an absent or empty value gives no entries.
    std::vector<std::string> List(const std::string& key, char separator = '|') const;
};

struct TFormLayout {
    TLayoutItem Form;
    std::vector<TLayoutItem> Components;  // file order = creation order

    const TLayoutItem* FindComponent(const std::string& name) const;
};

// Parses text into out. On failure returns false, leaves out unchanged and
// sets error to a message that starts with the line number ("line 4: ...").
bool ParseFormLayout(const std::string& text, TFormLayout& out, std::string& error);
