<?xml version="1.0" encoding="utf-8"?>
<!-- SPDX-FileCopyrightText: 2026 Ostrel app store developers -->
<!-- SPDX-License-Identifier: LGPL-2.1-or-later -->
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>QObject</name>
    <message>
        <source>View</source>
        <translation>Ansehen</translation>
    </message>
    <message>
        <source>&quot;%1&quot; installed successfully</source>
        <translation>&quot;%1&quot; wurde installiert</translation>
    </message>
    <message>
        <source>Failed to install &quot;%1&quot;</source>
        <translation>&quot;%1&quot; konnte nicht installiert werden</translation>
    </message>
    <message>
        <source>&quot;%1&quot; updated successfully</source>
        <translation>&quot;%1&quot; wurde aktualisiert</translation>
    </message>
    <message>
        <source>Failed to update &quot;%1&quot;</source>
        <translation>&quot;%1&quot; konnte nicht aktualisiert werden</translation>
    </message>
    <message>
        <source>%1 removed successfully</source>
        <translation>%1 wurde entfernt</translation>
    </message>
    <message>
        <source>Failed to remove the app</source>
        <translation>Die App konnte nicht entfernt werden</translation>
    </message>
    <message>
        <source>&quot;%1&quot; new version available</source>
        <translation>Neue Version von &quot;%1&quot; verfügbar</translation>
    </message>
    <message>
        <source>App Updates are available</source>
        <translation>App-Aktualisierungen sind verfügbar</translation>
    </message>
    <message>
        <source>1 app</source>
        <translation>Eine App</translation>
    </message>
    <message numerus="yes">
        <source>%n apps</source>
        <translation>
            <numerusform>%n Anwendung</numerusform>
            <numerusform>%n Anwendungen</numerusform>
        </translation>
    </message>
</context>
</TS>
