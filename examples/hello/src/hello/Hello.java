package hello;

import java.awt.BorderLayout;
import java.awt.GraphicsEnvironment;
import javax.swing.BorderFactory;
import javax.swing.JButton;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.JPanel;
import javax.swing.SwingUtilities;
import javax.swing.WindowConstants;

/**
 * A small desktop application packaged with vornicw: it says which runtime runs it and what it was given.
 * Without a display it prints the same and ends.
 */
public final class Hello {
    private Hello() {
    }

    public static void main(final String[] args) {
        final String report = describe(args);
        System.out.println(report.replace("<br>", System.lineSeparator()).replaceAll("<[^>]+>", ""));
        if (GraphicsEnvironment.isHeadless()) {
            return;
        }
        SwingUtilities.invokeLater(new Runnable() {
            @Override
            public void run() {
                show(report);
            }
        });
    }

    static String describe(final String[] args) {
        final StringBuilder text = new StringBuilder("<html><b>Hello from vornicw.</b><br>");
        text.append("Java ").append(System.getProperty("java.version"))
            .append(" (").append(System.getProperty("java.vendor")).append(", ")
            .append(System.getProperty("os.arch")).append(")<br>");
        text.append("Runtime: ").append(System.getProperty("java.home")).append("<br>");
        text.append(args.length).append(args.length == 1 ? " argument" : " arguments");
        for (final String arg : args) {
            text.append("<br>&nbsp;&nbsp;[").append(escape(arg)).append("]");
        }
        return text.append("</html>").toString();
    }

    private static String escape(final String text) {
        return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;");
    }

    private static void show(final String report) {
        final JFrame frame = new JFrame("Hello");
        frame.setDefaultCloseOperation(WindowConstants.DISPOSE_ON_CLOSE);
        final JPanel panel = new JPanel(new BorderLayout(0, 12));
        panel.setBorder(BorderFactory.createEmptyBorder(16, 16, 16, 16));
        panel.add(new JLabel(report), BorderLayout.CENTER);
        final JButton close = new JButton("Close");
        close.addActionListener(e -> frame.dispose());
        final JPanel buttons = new JPanel();
        buttons.add(close);
        panel.add(buttons, BorderLayout.SOUTH);
        frame.setContentPane(panel);
        frame.pack();
        frame.setLocationRelativeTo(null);
        frame.setVisible(true);
    }
}
