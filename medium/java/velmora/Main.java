package velmora;

import java.awt.BorderLayout;
import java.awt.GraphicsEnvironment;
import java.io.File;
import javax.swing.BorderFactory;
import javax.swing.ImageIcon;
import javax.swing.JButton;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.JPanel;
import javax.swing.SwingConstants;
import javax.swing.SwingUtilities;
import javax.swing.WindowConstants;

/** Velmora_KZ 2.0.1: a small window, or one line of text where there is no display. */
public final class Main {
    static final String TITLE = "Velmora_KZ 2.0.1";

    private Main() {}

    public static void main(String[] args) {
        String folder = System.getProperty("user.dir");
        if (GraphicsEnvironment.isHeadless()) {
            System.out.println(TITLE + " running in " + folder);
            return;
        }
        SwingUtilities.invokeLater(() -> show(folder));
    }

    private static void show(String folder) {
        JFrame frame = new JFrame(TITLE);
        frame.setDefaultCloseOperation(WindowConstants.DISPOSE_ON_CLOSE);
        File logo = new File(folder, "javalogo.gif");
        JLabel title = new JLabel(TITLE, SwingConstants.CENTER);
        if (logo.isFile()) {
            ImageIcon image = new ImageIcon(logo.getPath());
            frame.setIconImage(image.getImage());
            title.setIcon(image);
        }
        JLabel where = new JLabel("Installed in " + folder, SwingConstants.CENTER);
        JButton close = new JButton("Close");
        close.addActionListener(event -> frame.dispose());

        JPanel content = new JPanel(new BorderLayout(8, 8));
        content.setBorder(BorderFactory.createEmptyBorder(12, 12, 12, 12));
        content.add(title, BorderLayout.NORTH);
        content.add(where, BorderLayout.CENTER);
        content.add(close, BorderLayout.SOUTH);
        frame.setContentPane(content);
        frame.setSize(360, 180);
        frame.setLocationByPlatform(true);
        frame.setVisible(true);
    }
}
