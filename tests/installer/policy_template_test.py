#!/usr/bin/env python3
"""The administrative template: both files parse, every reference of the ADMX (strings,
presentations, categories, support definitions, element ids) resolves in the ADMX or the ADML, and
the policies write exactly the values the programs read (taken from the policy reader's source),
under Software\\Policies\\Quorvex for the computer and for the user, with the types they are read as.

  policy_template_test.py installer/policies src/common/policies.cpp
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
KEY = "Software\\Policies\\Quorvex"
# How the reader asks for a value: a DWORD (with a range or as a switch) or a text.
READ_AS = {"Dword": "decimal", "Switch": "decimal", "Url": "text"}


def values_read(source):
    """The value names the policy reader asks for, with the template kind each needs."""
    text = open(source, encoding="utf-8").read()
    return {name: READ_AS[call] for call, name in re.findall(r'\b(Dword|Switch|Url)\("(\w+)"', text)}
PRESENTATION_CONTROL = {"decimal": {"decimalTextBox"}, "enum": {"dropdownList"}, "text": {"textBox", "comboBox"},
                        "boolean": {"checkBox"}}


def main():
    folder = sys.argv[1]
    expected = values_read(sys.argv[2])
    admx = ET.parse(os.path.join(folder, "Quorvex.admx")).getroot()
    adml = ET.parse(os.path.join(folder, "en-US", "Quorvex.adml")).getroot()
    errors = []
    strings = {s.get("id") for s in adml.findall("p:resources/p:stringTable/p:string", NS)}
    presentations = {p.get("id"): p for p in adml.findall("p:resources/p:presentationTable/p:presentation", NS)}
    categories = {c.get("name") for c in admx.findall("p:categories/p:category", NS)}
    supported = {d.get("name") for d in admx.findall("p:supportedOn/p:definitions/p:definition", NS)}

    def resolve(text, where):
        for kind, name in re.findall(r"\$\((\w+)\.([^)]*)\)", text or ""):
            table = {"string": strings, "presentation": presentations}.get(kind)
            if table is None or name not in table:
                errors.append(f"{where}: $({kind}.{name}) does not resolve")

    for element in admx.iter():
        for attribute, value in element.attrib.items():
            if "$(" in value:
                resolve(value, f"{element.tag.split('}')[1]} {element.get('name') or element.get('id') or ''} {attribute}")
    if categories != {"Quorvex"}:
        errors.append(f"categories are {sorted(categories)}, not just Quorvex")

    written = {}
    for policy in admx.findall("p:policies/p:policy", NS):
        name = policy.get("name")
        if policy.get("class") != "Both":
            errors.append(f"{name}: class {policy.get('class')}, not Both (computer and user)")
        parent = policy.find("p:parentCategory", NS)
        if parent is None or parent.get("ref") not in categories:
            errors.append(f"{name}: not in the Quorvex category")
        support = policy.find("p:supportedOn", NS)
        if support is None or support.get("ref") not in supported:
            errors.append(f"{name}: supportedOn does not resolve")
        key = policy.get("key")
        values = []
        if policy.get("valueName"):
            enabled = policy.find("p:enabledValue/p:decimal", NS)
            values.append((key, policy.get("valueName"), "decimal" if enabled is not None else "?"))
            if enabled is None or enabled.get("value") != "1":
                errors.append(f"{name}: enabled does not write the DWORD 1")
        elements = policy.find("p:elements", NS)
        controls = {}
        if policy.get("presentation"):
            presentation = presentations.get(re.sub(r"^\$\(presentation\.(.*)\)$", r"\1", policy.get("presentation")))
            if presentation is not None:
                controls = {c.get("refId"): c.tag.split("}")[1] for c in presentation}
        for element in list(elements) if elements is not None else []:
            kind = element.tag.split("}")[1]
            if kind == "enum":
                items = [i.find("p:value/p:decimal", NS) for i in element.findall("p:item", NS)]
                if [i.get("value") if i is not None else None for i in items] != ["8", "16", "32"]:
                    errors.append(f"{name}: the depths offered are not 8, 16 and 32")
            if kind == "decimal" and not (0 < int(element.get("minValue", "0")) < int(element.get("maxValue", "0"))):
                errors.append(f"{name}: no sensible range")
            values.append((element.get("key", key), element.get("valueName"), "decimal" if kind == "enum" else kind))
            if controls.get(element.get("id")) not in PRESENTATION_CONTROL.get(kind, set()):
                errors.append(f"{name}: element {element.get('id')} has no matching control in its presentation")
        for refId in controls:
            if elements is None or refId not in {e.get("id") for e in elements}:
                errors.append(f"{name}: presentation control {refId} names no element")
        if len(values) != 1:
            errors.append(f"{name}: writes {len(values)} values, not one")
        for value_key, value_name, kind in values:
            if value_key != KEY:
                errors.append(f"{name}: key {value_key}, not {KEY}")
            if value_name in written:
                errors.append(f"{value_name} is written by two policies")
            written[value_name] = kind
    if len(expected) < 6:
        errors.append(f"the reader asks for only {sorted(expected)}: has its source changed shape?")
    if written != expected:
        errors.append(f"values written {sorted(written.items())}, values read {sorted(expected.items())}")

    for error in errors:
        print("FAILED:", error)
    if not errors:
        print(f"policy template: {len(written)} policies, every reference resolves")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
