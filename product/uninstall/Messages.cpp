#include "product/uninstall/Messages.h"

namespace uninstall {

Message NotInstalledMessage()
{
    Message m;
    m.Kind = MessageKind::Information;
    m.Heading = "Tessaly v1.1 is not installed on this computer.";
    m.Text = "Neither its registry entries nor its files were found, so there is nothing to remove.";
    return m;
}

Message RegistryErrorMessage(const Installation& inst)
{
    Message m;
    m.Kind = MessageKind::Warning;
    m.Heading = "The uninstaller cannot tell whether Tessaly v1.1 is installed.";
    m.Text = inst.RegistryError + "\n\nNothing has been removed.";
    return m;
}

Message ConfirmMessage(const Plan& plan)
{
    Message m;
    m.Kind = MessageKind::Question;
    m.Heading = "Do you want to remove Tessaly v1.1 from this computer?";
    if (!plan.Inst.Dir.empty()) {
        m.Text = "The uninstaller will remove the program's files from the folder\n    " + plan.Inst.Dir +
                 "\nas well as its shortcuts in the Programs menu and its entries in the registry.";
        if (!plan.DirExists) m.Text += "\n\nThe folder itself no longer exists.";
    } else {
        m.Text = "The uninstaller removes its shortcuts in the Programs menu and its entries in the registry. " +
                 plan.Inst.Problem;
    }
    if (!plan.Kept.empty()) {
        m.ListCaption = "These files were not installed by Tessaly. They will be kept:";
        m.List = plan.Kept;
    }
    return m;
}

Message BlockedMessage(const Plan& plan)
{
    Message m;
    m.Kind = MessageKind::Warning;
    m.Heading = "Tessaly v1.1 cannot be removed now.";
    m.Text = "Nothing has been removed.";
    m.ListCaption = "These files are in the way:";
    for (const Obstacle& o : plan.Obstacles) m.List.push_back(o.Path + " " + o.Reason);
    m.After = "Close Tessaly and any other program that uses these files, clear the read-only mark of read-only "
              "files, and run the uninstaller again.";
    return m;
}

Message ResultMessage(const Plan& plan, const Report& report)
{
    Message m;
    if (report.Complete()) {
        m.Kind = MessageKind::Information;
        m.Heading = "Tessaly v1.1 has been removed from this computer.";
        m.Text = "Its files, its shortcuts and its entries in the registry are gone.";
        if (!report.Kept.empty()) {
            m.ListCaption = "These files were not installed by Tessaly and have been kept:";
            m.List = report.Kept;
            if (plan.DirExists && !report.DirRemoved)
                m.After = "The folder " + plan.Inst.Dir + " stays, as it holds them.";
        }
        return m;
    }
    m.Kind = MessageKind::Warning;
    m.Heading = "Tessaly v1.1 could not be removed completely.";
    m.Text = "Some of its files could not be removed. Its uninstaller and its entries in the registry are still there, "
             "so you can run it again.";
    m.ListCaption = "Not removed:";
    for (const Obstacle& o : report.Failed) m.List.push_back(o.Path + " " + o.Reason);
    if (!report.Kept.empty()) m.After = "Files that were not installed by Tessaly have been kept.";
    return m;
}

std::string PlainText(const Message& m)
{
    std::string t = m.Heading + "\n" + m.Text + "\n";
    if (!m.List.empty()) {
        t += m.ListCaption + "\n";
        for (const std::string& line : m.List) t += "  " + line + "\n";
    }
    if (!m.After.empty()) t += m.After + "\n";
    return t;
}

}  // namespace uninstall
