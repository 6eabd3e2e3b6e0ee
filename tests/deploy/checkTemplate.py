#!/usr/bin/env python3
"""Checks the Group Policy template against the program, and the installer source.

  checkTemplate.py check ROOT       both template files and the WiX source are
                                    well-formed; every registry value the template
                                    writes is a setting the program reads from its
                                    policy keys, with the type it writes, within the
                                    dialog's limits
  checkTemplate.py selftest ROOT    broken copies of the template must fail the check
  checkTemplate.py writes ROOT POLICY=CHOICE...
                                    prints "key|name|type|data" for each value that the
                                    template writes when those policies are enabled
                                    (CHOICE: an enum item's display string id, a number,
                                    a text, or "disabled")

Standard library only.
"""

import copy
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

PD = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
WIX = "{http://schemas.microsoft.com/wix/2006/wi}"
ADMX = "deploy/kestrane.admx"
ADML = "deploy/en-US/kestrane.adml"
WXS = "deploy/kestrane.wxs"


def c_unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


# ---------------------------------------------------------------- the program

class Program:
    """What the program's source says about its stored settings."""

    def __init__(self, root):
        store = (root / "src/unitRegistry.cpp").read_text()
        paths = {}
        for var in ("KeyPath", "PolicyPath", "RecommendedPath"):
            m = re.search(var + r'\s*=\s*"((?:[^"\\]|\\.)*)"', store)
            if not m:
                raise SystemExit(f"cannot find {var} in src/unitRegistry.cpp")
            paths[var] = c_unescape(m.group(1))
        self.key = paths["KeyPath"]
        self.policy_key = paths["PolicyPath"]
        self.recommended_key = paths["RecommendedPath"]
        sources = (root / "src/cfgSources.cpp").read_text()
        m = re.search(r"kSettingNames\[kSettingCount\]\s*=\s*\{([^}]*)\}", sources)
        if not m:
            raise SystemExit("cannot find the setting names in src/cfgSources.cpp")
        names = re.findall(r'"(\w+)"', m.group(1))
        # Each setting's case in the reading and the writing switch names its reader or writer.
        reads = dict(re.findall(r"case st(\w+):\s*(?:read\s*=\s*)?Read(Integer|String)\(", store))
        writes = dict(re.findall(r"case st(\w+):\s*return\s+Write(Integer|String)\(", store))
        # Settings outside the dialog are read but never written.
        if not names or set(reads) != set(names) or not set(writes) <= set(names):
            raise SystemExit(f"the program names {names}, reads {sorted(reads)} and writes "
                             f"{sorted(writes)} in src/unitRegistry.cpp")
        read_types = {"Integer": {"REG_DWORD"}, "String": {"REG_SZ", "REG_EXPAND_SZ"}}
        write_type = {"Integer": "REG_DWORD", "String": "REG_SZ"}
        self.reads = {name: read_types[reads[name]] for name in names}
        self.writes = {name: write_type[writes.get(name, reads[name])] for name in names}
        self.defaults = self._defaults((root / "src/unitRegistry.h").read_text(), names)
        self.limits = self._limits(root / "resources/frmConfig.layout")
        # The rows kept clear: no control, the program's own bound.
        shape = (root / "src/bandShape.h").read_text()
        m = re.search(r"kKeepClearMost\s*=\s*(\d+)\s*/\s*(\d+);", shape)
        if not m:
            raise SystemExit("cannot find kKeepClearMost in src/bandShape.h")
        for name in names:
            if name.startswith("KeepClear"):
                self.limits[name] = ("range", 0, int(m.group(1)) // int(m.group(2)))
        # The watcher's idle time: held to a day.
        watcher = (root / "src/watcherLogic.h").read_text()
        m = re.search(r"kStartAfterIdleMost\s*=\s*(\d+);", watcher)
        if not m:
            raise SystemExit("cannot find kStartAfterIdleMost in src/watcherLogic.h")
        if "StartAfterIdle" in names:
            self.limits["StartAfterIdle"] = ("range", 0, int(m.group(1)))

    @staticmethod
    def _defaults(header, names):
        """The initial values of TCfg's fields, by setting name."""
        body = header[header.index("struct TCfg {"):]
        body = body[:body.index("};")]
        defaults = {}
        for field, value in re.findall(r"^\s*[\w:]+\s+(\w+)\s*=\s*([^;]+);", body, re.M):
            if field not in names:
                continue
            value = value.strip()
            if value.startswith('"'):
                defaults[field] = c_unescape(value[1:-1])
            elif value in ("true", "false"):
                defaults[field] = 1 if value == "true" else 0
            elif re.fullmatch(r"-?\d+", value):
                defaults[field] = int(value)
        return defaults

    @staticmethod
    def _limits(layout_path):
        """The ranges the configuration dialog's controls keep, by setting name."""
        controls = {}
        for line in layout_path.read_text().splitlines():
            parts = re.findall(r'(\w+)="([^"]*)"|(\w+)=(\S+)|(\S+)', line.split("#", 1)[0])
            words = [p[4] for p in parts if p[4]]
            attrs = {p[0] or p[2]: p[1] if p[0] else p[3] for p in parts if p[0] or p[2]}
            if len(words) >= 2:
                controls[words[1]] = (words[0], attrs)
        limits = {}
        for name, (kind, attrs) in controls.items():
            setting = re.sub(r"^(cb|se|ed)", "", name)
            if kind == "comboBox" and "items" in attrs:
                limits[setting] = ("range", 0, len(attrs["items"].split("|")) - 1)
            elif kind == "spinEdit":
                limits[setting] = ("range", int(attrs["min"]), int(attrs["max"]))
            elif kind == "checkBox":
                limits[setting] = ("range", 0, 1)
            elif kind == "edit" and "maxLength" in attrs:
                limits[setting] = ("length", int(attrs["maxLength"]))
        return limits


# ---------------------------------------------------------------- the template

def value_of(node):
    """(type, data) of a <decimal>, <longDecimal> or <string> value node."""
    if node.tag == PD + "decimal":
        return "REG_DWORD", int(node.get("value"))
    if node.tag == PD + "longDecimal":
        return "REG_QWORD", int(node.get("value"))
    if node.tag == PD + "string":
        return "REG_SZ", node.text or ""
    if node.tag == PD + "delete":
        return "DELETE", None
    raise ValueError(f"unknown value kind {node.tag}")


def template_writes(admx):
    """Every registry value the template can write: dicts of policy, class,
    key, name, type and the possible data (a set, or a range/length limit)."""
    writes = []
    for policy in admx.iter(PD + "policy"):
        pname = policy.get("name")
        pclass = policy.get("class")
        pkey = policy.get("key")
        parent = policy.find(PD + "parentCategory")
        category = parent.get("ref") if parent is not None else None

        def add(key, name, rtype, data):
            writes.append({"policy": pname, "class": pclass, "category": category, "key": key,
                           "name": name, "type": rtype, "data": data})

        if policy.get("valueName"):
            on = policy.find(PD + "enabledValue")
            off = policy.find(PD + "disabledValue")
            for holder, fallback in ((on, 1), (off, 0)):
                if holder is None:
                    add(pkey, policy.get("valueName"), "REG_DWORD", {fallback})
                else:
                    rtype, data = value_of(list(holder)[0])
                    add(pkey, policy.get("valueName"), rtype, {data})
        for listname in ("enabledList", "disabledList"):
            for lst in policy.iter(PD + listname):
                for item in lst.iter(PD + "item"):
                    rtype, data = value_of(list(item.find(PD + "value"))[0])
                    add(item.get("key") or lst.get("defaultKey") or pkey, item.get("valueName"),
                        rtype, {data})
        elements = policy.find(PD + "elements")
        for element in (list(elements) if elements is not None else []):
            kind = element.tag[len(PD):]
            key = element.get("key") or pkey
            name = element.get("valueName")
            if kind == "decimal":
                rtype = "REG_SZ" if element.get("storeAsText") == "true" else "REG_DWORD"
                add(key, name, rtype, ("range", int(element.get("minValue", "0")),
                                       int(element.get("maxValue", "9999"))))
            elif kind == "longDecimal":
                add(key, name, "REG_QWORD", ("range", int(element.get("minValue", "0")),
                                             int(element.get("maxValue", "9999"))))
            elif kind == "text":
                rtype = "REG_EXPAND_SZ" if element.get("expandable") == "true" else "REG_SZ"
                add(key, name, rtype, ("length", int(element.get("maxLength", "1023"))))
            elif kind == "multiText":
                add(key, name, "REG_MULTI_SZ", ("length", int(element.get("maxLength", "1023"))))
            elif kind == "boolean":
                for holder, fallback in ((element.find(PD + "trueValue"), 1),
                                         (element.find(PD + "falseValue"), 0)):
                    if holder is None:
                        add(key, name, "REG_DWORD", {fallback})
                    else:
                        rtype, data = value_of(list(holder)[0])
                        add(key, name, rtype, {data})
            elif kind == "enum":
                for item in element.iter(PD + "item"):
                    rtype, data = value_of(list(item.find(PD + "value"))[0])
                    add(key, name, rtype, {data})
                    for extra in item.iter(PD + "valueList"):
                        for sub in extra.iter(PD + "item"):
                            rtype, data = value_of(list(sub.find(PD + "value"))[0])
                            add(sub.get("key") or key, sub.get("valueName"), rtype, {data})
            else:
                # A list writes value names of the administrator's choosing.
                add(key, name or f"<{kind}>", f"<{kind}>", None)
    return writes


def check_template(admx, adml, program):
    errors = []
    root = admx.getroot()
    if root.tag != PD + "policyDefinitions":
        errors.append(f"{ADMX}: root element is {root.tag}, not policyDefinitions")
    if adml.getroot().tag != PD + "policyDefinitionResources":
        errors.append(f"{ADML}: root element is {adml.getroot().tag}, not policyDefinitionResources")

    writes = template_writes(admx)
    # Enforced settings under the policy key, defaults that users can override under its
    # Recommended subkey, each set in a category of its own.
    categories = {program.policy_key.lower(): "KestraneWorkstation",
                  program.recommended_key.lower(): "KestraneWorkstation_Recommended"}
    covered = {key: set() for key in categories}
    for w in writes:
        where = f"policy {w['policy']}, value {w['name']}"
        if w["class"] != "Both":
            errors.append(f"{where}: class {w['class']}; each setting is a policy for computers and for users")
        key = (w["key"] or "").lower()
        if key not in categories:
            errors.append(f"{where}: key \"{w['key']}\", the program reads policies from "
                          f"\"{program.policy_key}\" and \"{program.recommended_key}\"")
            continue
        if w["category"] != categories[key]:
            errors.append(f"{where}: in category {w['category']}, a value under \"{w['key']}\" "
                          f"belongs in {categories[key]}")
        if w["name"] not in program.reads:
            errors.append(f"{where}: the program reads no value of that name")
            continue
        if w["type"] not in program.reads[w["name"]]:
            errors.append(f"{where}: written as {w['type']}, the program reads "
                          f"{' or '.join(sorted(program.reads[w['name']]))}")
            continue
        if w["type"] != program.writes[w["name"]]:
            errors.append(f"{where}: written as {w['type']}, the program writes {program.writes[w['name']]}")
        covered[key].add(w["name"])
        limit = program.limits.get(w["name"])
        data = w["data"]
        if limit is None:
            errors.append(f"{where}: the dialog has no control that limits this value")
        elif limit[0] == "range":
            lo, hi = limit[1], limit[2]
            if isinstance(data, set):
                bad = sorted(d for d in data if not isinstance(d, int) or not lo <= d <= hi)
                if bad:
                    errors.append(f"{where}: data {bad} outside {lo}..{hi}")
            elif data[0] != "range" or data[1] != lo or data[2] != hi:
                errors.append(f"{where}: limits {data[1:]} differ from the dialog's {lo}..{hi}")
        elif limit[0] == "length":
            if isinstance(data, set) or data[0] != "length" or data[1] > limit[1]:
                errors.append(f"{where}: longer texts than the dialog's {limit[1]} characters allowed")
    for key, names in covered.items():
        missing = sorted(set(program.reads) - names)
        if missing:
            errors.append(f"{ADMX}: no policy sets {', '.join(missing)} in the {categories[key]} category")

    # Every string and presentation the template names is in the language file,
    # and each presentation matches its policy's elements.
    strings = {s.get("id"): s.text or "" for s in adml.iter(PD + "string")}
    presentations = {p.get("id"): p for p in adml.iter(PD + "presentation")}
    text = ET.tostring(root, encoding="unicode")
    for ref in sorted(set(re.findall(r"\$\(string\.(\w+)\)", text))):
        if ref not in strings:
            errors.append(f"{ADML}: no string {ref}")
    control_for = {"enum": "dropdownList", "decimal": "decimalTextBox", "text": "textBox",
                   "boolean": "checkBox", "multiText": "multiTextBox", "list": "listBox",
                   "longDecimal": "longDecimalTextBox"}
    for policy in root.iter(PD + "policy"):
        pname = policy.get("name")
        elements = policy.find(PD + "elements")
        elements = {e.get("id"): e for e in (list(elements) if elements is not None else [])}
        ref = policy.get("presentation")
        if not elements:
            if ref:
                errors.append(f"policy {pname}: presentation without elements")
            continue
        m = re.fullmatch(r"\$\(presentation\.(\w+)\)", ref or "")
        if not m or m.group(1) not in presentations:
            errors.append(f"policy {pname}: presentation {ref!r} not in {ADML}")
            continue
        shown = {}
        for control in presentations[m.group(1)]:
            if control.get("refId"):
                shown[control.get("refId")] = control
        for eid, element in elements.items():
            kind = element.tag[len(PD):]
            control = shown.get(eid)
            if control is None:
                errors.append(f"policy {pname}: element {eid} is not presented")
                continue
            if control.tag != PD + control_for.get(kind, "?"):
                errors.append(f"policy {pname}: element {eid} ({kind}) shown as {control.tag[len(PD):]}")
                continue
            name = element.get("valueName")
            default = program.defaults.get(name)
            if kind == "enum":
                items = list(element.iter(PD + "item"))
                index = int(control.get("defaultItem", "0"))
                if not 0 <= index < len(items):
                    errors.append(f"policy {pname}: default item {index} out of range")
                elif default is not None and value_of(list(items[index].find(PD + "value"))[0])[1] != default:
                    errors.append(f"policy {pname}: default item is not the program's default {default}")
            elif kind == "decimal":
                value = int(control.get("defaultValue", "1"))
                if default is not None and value != default:
                    errors.append(f"policy {pname}: default {value}, the program's is {default}")
            elif kind == "text":
                node = control.find(PD + "defaultValue")
                value = node.text if node is not None else None
                if default is not None and value != default:
                    errors.append(f"policy {pname}: default text {value!r}, the program's is {default!r}")
        for eid in shown:
            if eid not in elements:
                errors.append(f"policy {pname}: presentation shows unknown element {eid}")
    return list(dict.fromkeys(errors))


def check_wix(wxs):
    errors = []
    product = wxs.getroot().find(WIX + "Product")
    if product is None:
        return [f"{WXS}: no Product"]
    if product.get("Name") != "Kestrane Workstation Screen Saver":
        errors.append(f"{WXS}: product name {product.get('Name')!r}")
    files = [f for f in wxs.getroot().iter(WIX + "File")]
    if [f.get("Name") for f in files] != ["kestrane.scr"]:
        errors.append(f"{WXS}: installs {[f.get('Name') for f in files]}, not just kestrane.scr")
    # The settings are the program's; the package writes only the watcher's start at logon.
    values = [(v.get("Root"), v.get("Key"), v.get("Name")) for v in wxs.getroot().iter(WIX + "RegistryValue")]
    run = ("HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Kestrane Workstation")
    if values != [run] or list(wxs.getroot().iter(WIX + "RegistryKey")):
        errors.append(f"{WXS}: the package must leave the registry to the program, but for the watcher's Run entry")
    return errors


def parse(path):
    # The WiX source starts with preprocessor instructions, which are ordinary
    # processing instructions to an XML parser.
    return ET.parse(path)


def run_check(root):
    program = Program(root)
    errors = []
    trees = {}
    for name in (ADMX, ADML, WXS):
        try:
            trees[name] = parse(root / name)
        except (ET.ParseError, OSError) as e:
            errors.append(f"{name}: not well-formed: {e}")
    if errors:
        return errors, program
    errors += check_template(trees[ADMX], trees[ADML], program)
    errors += check_wix(trees[WXS])
    return errors, program


# ------------------------------------------------------------------ self-test

def mutations(admx):
    """Broken copies of the template, each with the fault that the check must find."""
    def edit(fn):
        tree = copy.deepcopy(admx)
        fn(tree.getroot())
        return tree

    def policy(r, name):
        return next(p for p in r.iter(PD + "policy") if p.get("name") == name)

    def set_attr(path_fn, attr, value):
        return lambda r: path_fn(r).set(attr, value)

    yield "value name misspelt", edit(set_attr(lambda r: policy(r, "TransitionTime").find(f"{PD}elements/{PD}decimal"), "valueName", "TransitionTimes"))
    yield "the user's own key, which the user can change", edit(set_attr(lambda r: policy(r, "CoverArea"), "key", r"Software\Varnel\KestraneWorkstation"))
    yield "wrong key", edit(set_attr(lambda r: policy(r, "CoverArea_Recommended"), "key", r"Software\Policies\Varnel\Kestrane\Recommended"))
    yield "users only", edit(set_attr(lambda r: policy(r, "MovementType"), "class", "User"))
    yield "machines only", edit(set_attr(lambda r: policy(r, "TextLine2_Recommended"), "class", "Machine"))
    yield "a recommendation in the enforced category", edit(set_attr(lambda r: policy(r, "DrawBorders_Recommended").find(PD + "parentCategory"), "ref", "KestraneWorkstation"))
    yield "a recommendation written as a policy", edit(set_attr(lambda r: policy(r, "TransitionTime_Recommended"), "key", r"Software\Policies\Varnel\KestraneWorkstation"))
    yield "number stored as text", edit(set_attr(lambda r: policy(r, "TransitionTime").find(f"{PD}elements/{PD}decimal"), "storeAsText", "true"))
    yield "text made expandable", edit(set_attr(lambda r: policy(r, "TextLine1").find(f"{PD}elements/{PD}text"), "expandable", "true"))
    yield "range past the dialog's", edit(set_attr(lambda r: policy(r, "TransitionTime_Recommended").find(f"{PD}elements/{PD}decimal"), "maxValue", "9"))
    yield "enum item out of range", edit(set_attr(lambda r: list(policy(r, "CoverArea").iter(PD + "decimal"))[-1], "value", "4"))
    yield "text longer than the dialog's", edit(set_attr(lambda r: policy(r, "TextLine2").find(f"{PD}elements/{PD}text"), "maxLength", "200"))
    yield "policy dropped", edit(lambda r: r.find(PD + "policies").remove(policy(r, "DrawBorders")))
    yield "recommendation dropped", edit(lambda r: r.find(PD + "policies").remove(policy(r, "TextLine1_Recommended")))

    def string_value(r):
        value = list(policy(r, "MovementType").iter(PD + "value"))[0]
        value.remove(list(value)[0])
        ET.SubElement(value, PD + "string").text = "0"
    yield "enum value as a string", edit(string_value)

    def extra_value(r):
        value = ET.SubElement(policy(r, "DrawBorders"), PD + "elements")
        ET.SubElement(value, PD + "decimal", {"id": "Version", "valueName": "Version"})
    yield "a value the program does not store", edit(extra_value)


def run_selftest(root):
    admx = parse(root / ADMX)
    adml = parse(root / ADML)
    program = Program(root)
    failures = []
    for label, broken in mutations(admx):
        if not check_template(broken, adml, program):
            failures.append(f"the check passes a template with: {label}")
    # The language file too: a missing string and a wrong default.
    broken = copy.deepcopy(adml)
    table = broken.getroot().find(f"{PD}resources/{PD}stringTable")
    table.remove(next(s for s in table if s.get("id") == "CoverArea_Help"))
    if not check_template(admx, broken, program):
        failures.append("the check passes a language file without a string the template names")
    broken = copy.deepcopy(adml)
    next(p for p in broken.iter(PD + "decimalTextBox")).set("defaultValue", "3")
    if not check_template(admx, broken, program):
        failures.append("the check passes a default other than the program's")
    return failures


# ------------------------------------------------------------------ writes

def run_writes(root, choices):
    admx = parse(root / ADMX)
    adml = parse(root / ADML)
    strings = {s.get("id"): s.text for s in adml.iter(PD + "string")}
    out = []
    for choice in choices:
        pname, _, wanted = choice.partition("=")
        policy = next((p for p in admx.iter(PD + "policy") if p.get("name") == pname), None)
        if policy is None:
            raise SystemExit(f"no policy {pname}")
        key = policy.get("key")
        if policy.get("valueName"):
            holder = policy.find(PD + ("disabledValue" if wanted == "disabled" else "enabledValue"))
            rtype, data = value_of(list(holder)[0])
            out.append((key, policy.get("valueName"), rtype, data))
            continue
        for element in list(policy.find(PD + "elements")):
            kind = element.tag[len(PD):]
            ekey = element.get("key") or key
            if kind == "enum":
                for item in element.iter(PD + "item"):
                    label = re.fullmatch(r"\$\(string\.(\w+)\)", item.get("displayName")).group(1)
                    if wanted in (label, strings.get(label)):
                        rtype, data = value_of(list(item.find(PD + "value"))[0])
                        out.append((ekey, element.get("valueName"), rtype, data))
                        break
                else:
                    raise SystemExit(f"policy {pname} has no item {wanted!r}")
            elif kind == "decimal":
                out.append((ekey, element.get("valueName"), "REG_DWORD", int(wanted)))
            elif kind == "text":
                out.append((ekey, element.get("valueName"), "REG_SZ", wanted))
    for key, name, rtype, data in out:
        print(f"{key}|{name}|{rtype}|{data}")


def main(argv):
    if len(argv) < 3 or argv[1] not in ("check", "selftest", "writes"):
        print(__doc__, file=sys.stderr)
        return 2
    root = Path(argv[2])
    if argv[1] == "check":
        errors, program = run_check(root)
        for e in errors:
            print(f"FAIL {e}")
        if not errors:
            print(f"template writes only {', '.join(sorted(program.reads))} under "
                  f"{program.policy_key} and {program.recommended_key}, for computers and "
                  f"users, with the program's types and the dialog's limits")
        return 1 if errors else 0
    if argv[1] == "selftest":
        failures = run_selftest(root)
        for f in failures:
            print(f"FAIL {f}")
        return 1 if failures else 0
    run_writes(root, argv[3:])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
